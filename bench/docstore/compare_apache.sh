#!/usr/bin/env bash
# Times orvex-docstore against Apache mod_dav_fs serving the same data, with
# the same curl commands in the same run:
#   - PROPFIND Depth 1 (allprop) on a folder of 10,000 documents;
#   - PUT of a 1 GiB file;
# and reports the medians, the ratios (docstore / Apache) and the docstore's
# peak memory during the 1 GiB PUTs.
#
#   bench/docstore/compare_apache.sh path/to/orvex-docstore [propfind-runs] [put-runs]
#
# Runs as root: Apache starts from a standalone configuration, on loopback
# only, and drops to `User www-data`. Both servers keep their data on disk
# under one temporary directory, removed at the end; both ask for Basic
# credentials. Every request goes to 127.0.0.1.
set -euo pipefail

binary=$(readlink -f "${1:?usage: compare_apache.sh path/to/orvex-docstore [propfind-runs] [put-runs]}")
propfind_runs=${2:-7}
put_runs=${3:-3}
documents=10000

if [ "$(id -u)" -ne 0 ]; then
  echo "compare_apache.sh: run as root (Apache drops to www-data itself)" >&2
  exit 1
fi
for tool in apache2 curl python3; do
  command -v "$tool" >/dev/null || { echo "compare_apache.sh: $tool is missing" >&2; exit 1; }
done

work=$(mktemp -d /tmp/docstore-vs-apache-XXXXXX)
chmod 755 "$work"
apache_pid=
docstore_pid=
cleanup() {
  [ -n "$docstore_pid" ] && kill "$docstore_pid" 2>/dev/null && wait "$docstore_pid" 2>/dev/null
  if [ -f "$work/apache.pid" ]; then kill "$(cat "$work/apache.pid")" 2>/dev/null || true; fi
  [ -n "$apache_pid" ] && wait "$apache_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

median() {
  sort -g | awk '{v[NR]=$1} END {if (NR%2) print v[(NR+1)/2]; else printf "%.6f\n", (v[NR/2]+v[NR/2+1])/2}'
}

# --- The same data for both: /dav/many/doc-N.txt ---------------------------
echo "preparing $documents documents and a 1 GiB file in $work"
mkdir -p "$work/apache/dav/many" "$work/davlock"
python3 - "$work" "$documents" <<'PY'
import json, os, sys
work, count = sys.argv[1], int(sys.argv[2])
items = []
for i in range(count):
    content = "content of document %d\n" % i
    with open(os.path.join(work, "apache/dav/many/doc-%d.txt" % i), "w") as f:
        f.write(content)
    items.append({"name": "doc-%d.txt" % i, "type": "document", "content": content,
                  "content_type": "text/plain"})
seed = {"hosts": ["127.0.0.1"],
        "users": [{"name": "bench", "password": "bench"}],
        "workspaces": [{"name": "dav", "roles": {"bench": "coordinator"},
                        "items": [{"name": "many", "type": "standard", "items": items}]}]}
with open(os.path.join(work, "seed.json"), "w") as f:
    json.dump(seed, f)
PY
dd if=/dev/urandom of="$work/big.bin" bs=1M count=1024 status=none
htpasswd -bc "$work/htpasswd" bench bench 2>/dev/null
chown -R www-data:www-data "$work/apache" "$work/davlock"
chmod 644 "$work/htpasswd"

# --- Apache mod_dav_fs --------------------------------------------------------
apache_port=$(free_port)
modules=/usr/lib/apache2/modules
cat >"$work/apache.conf" <<EOF
ServerRoot $work
ServerName 127.0.0.1
Listen 127.0.0.1:$apache_port
PidFile $work/apache.pid
DefaultRuntimeDir $work
Mutex file:$work default
ErrorLog $work/apache-error.log
LogLevel warn
User www-data
Group www-data
LoadModule mpm_event_module $modules/mod_mpm_event.so
LoadModule authz_core_module $modules/mod_authz_core.so
LoadModule authz_user_module $modules/mod_authz_user.so
LoadModule authn_core_module $modules/mod_authn_core.so
LoadModule authn_file_module $modules/mod_authn_file.so
LoadModule auth_basic_module $modules/mod_auth_basic.so
LoadModule dav_module $modules/mod_dav.so
LoadModule dav_fs_module $modules/mod_dav_fs.so
DocumentRoot $work/apache
DavLockDB $work/davlock/DavLock
LimitRequestBody 0
<Directory $work/apache/dav>
  Dav On
  AuthType Basic
  AuthName "bench"
  AuthUserFile $work/htpasswd
  Require valid-user
</Directory>
EOF
apache2 -f "$work/apache.conf" -DFOREGROUND &
apache_pid=$!

# --- orvex-docstore (store on disk, like Apache's) ---------------------------
"$binary" --listen 127.0.0.1:0 --seed "$work/seed.json" --store "$work/docstore" >"$work/docstore.out" 2>&1 &
docstore_pid=$!
docstore_port=
for _ in $(seq 600); do
  docstore_port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/docstore.out")
  [ -n "$docstore_port" ] && break
  sleep 0.1
done
[ -n "$docstore_port" ] || { echo "orvex-docstore did not start:" >&2; cat "$work/docstore.out" >&2; exit 1; }
for _ in $(seq 100); do
  curl -s -o /dev/null "http://127.0.0.1:$apache_port/" && break
  sleep 0.1
done

apache_url="http://127.0.0.1:$apache_port/dav"
docstore_url="http://127.0.0.1:$docstore_port/dav"
cat >"$work/propfind.xml" <<'EOF'
<?xml version="1.0" encoding="utf-8"?><D:propfind xmlns:D="DAV:"><D:allprop/></D:propfind>
EOF

# The one curl command both servers get: PROPFIND Depth 1, allprop.
propfind() {
  curl -s -u bench:bench -X PROPFIND -H 'Depth: 1' -H 'Content-Type: application/xml' \
    --data-binary @"$work/propfind.xml" -o "$work/answer.xml" \
    -w '%{http_code} %{time_total}\n' "$1/many/"
}
# The one curl command both servers get: PUT of the 1 GiB file.
put() {
  curl -s -u bench:bench -T "$work/big.bin" -o /dev/null -w '%{http_code} %{time_total}\n' "$1"
}

for server in apache docstore; do
  url_var=${server}_url
  read -r code _ < <(propfind "${!url_var}")
  responses=$( (grep -oE '<[A-Za-z0-9]+:response[ >]' "$work/answer.xml" || true) | wc -l)
  if [ "$code" != 207 ] || [ "$responses" -ne $((documents + 1)) ]; then
    echo "compare_apache.sh: $server answered $code with $responses responses" >&2
    exit 1
  fi
done

echo "PROPFIND Depth 1 on $documents documents: $propfind_runs runs each, alternating"
: >"$work/apache.propfind"
: >"$work/docstore.propfind"
for _ in $(seq "$propfind_runs"); do
  propfind "$apache_url" | awk '{print $2}' >>"$work/apache.propfind"
  propfind "$docstore_url" | awk '{print $2}' >>"$work/docstore.propfind"
done

echo "PUT of 1 GiB: $put_runs runs each, alternating"
: >"$work/apache.put"
: >"$work/docstore.put"
peak_kib=0
for run in $(seq "$put_runs"); do
  read -r code seconds < <(put "$apache_url/big-$run.bin")
  [ "$code" = 201 ] || { echo "Apache PUT answered $code" >&2; exit 1; }
  echo "$seconds" >>"$work/apache.put"
  curl -s -u bench:bench -X DELETE -o /dev/null "$apache_url/big-$run.bin"

  # Reset the docstore's peak resident size, PUT, and read the new peak.
  echo 5 >"/proc/$docstore_pid/clear_refs"
  read -r code seconds < <(put "$docstore_url/big-$run.bin")
  [ "$code" = 201 ] || { echo "orvex-docstore PUT answered $code" >&2; exit 1; }
  echo "$seconds" >>"$work/docstore.put"
  hwm=$(awk '/^VmHWM:/ {print $2}' "/proc/$docstore_pid/status")
  [ "$hwm" -gt "$peak_kib" ] && peak_kib=$hwm
  curl -s -u bench:bench -X DELETE -o /dev/null "$docstore_url/big-$run.bin"
done
rss_kib=$(awk '/^VmRSS:/ {print $2}' "/proc/$docstore_pid/status")

apache_propfind=$(median <"$work/apache.propfind")
docstore_propfind=$(median <"$work/docstore.propfind")
apache_put=$(median <"$work/apache.put")
docstore_put=$(median <"$work/docstore.put")
echo
printf '%-34s %12s %12s %10s\n' "median seconds" "Apache" "docstore" "ratio"
printf '%-34s %12.4f %12.4f %9.2fx\n' "PROPFIND Depth 1, $documents docs" \
  "$apache_propfind" "$docstore_propfind" "$(echo "$docstore_propfind / $apache_propfind" | bc -l)"
printf '%-34s %12.4f %12.4f %9.2fx\n' "PUT 1 GiB" \
  "$apache_put" "$docstore_put" "$(echo "$docstore_put / $apache_put" | bc -l)"
echo "(ratio = docstore time / Apache time; below 1 means the docstore is faster)"
echo "docstore peak resident memory during the 1 GiB PUTs: $((peak_kib / 1024)) MiB (resident now: $((rss_kib / 1024)) MiB)"
echo "docstore PUT flushes the content to disk (fsync) before answering; Apache does not."
