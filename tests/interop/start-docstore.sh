# Sourced by the interop scripts: starts `$binary` (orvex-docstore) on an
# ephemeral loopback port with `$seed`, in a fresh directory `$work` that is
# removed, with the server stopped, when the script exits. Sets `$port`.
# `$tool` names the calling script in messages. With `$on_disk` set the
# server keeps its store in `$work/store` instead of in memory.
work=$(mktemp -d)
server_pid=
cleanup() {
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null
    wait "$server_pid" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT

store_args=()
[ -n "${on_disk:-}" ] && store_args=(--store "$work/store")
"$binary" --listen 127.0.0.1:0 --seed "$seed" "${store_args[@]}" >"$work/server.out" 2>&1 &
server_pid=$!
port=
for _ in $(seq 100); do
  port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/server.out")
  [ -n "$port" ] && break
  sleep 0.1
done
if [ -z "$port" ]; then
  echo "$tool: orvex-docstore did not start:" >&2
  cat "$work/server.out" >&2
  exit 1
fi
