#!/usr/bin/env bash
# Measures orvex-docstore against Apache mod_dav_fs serving the same data from
# disk, with the same curl commands, in the same run, in alternating (paired)
# samples:
#   - start-up: the docstore loading a seed of N documents (Apache has nothing
#     to load; its files are written before it starts);
#   - PROPFIND Depth 1 on the folder of N documents, four named properties
#     (DAV:getcontentlength, getlastmodified, getetag, resourcetype: live
#     properties both servers compute), time and each server's peak memory;
#   - PROPFIND Depth 1 allprop on the same folder (the servers keep different
#     property sets, so the answer sizes are printed beside the times);
#   - 16 clients at once, each on one kept-alive connection doing small PUT +
#     PROPFIND Depth 0 pairs: requests per second;
#   - PUT of a 1 GiB file, with a second client doing small PUT, PROPFIND
#     Depth 0 and GET rounds on its own kept-alive connection meanwhile: the
#     PUT's time and the median and slowest of the second client's requests
#     made while the PUT ran (head-of-line blocking), beside the same client's
#     figures with nothing else running.
#
#   bench/docstore/compare_apache.sh path/to/orvex-docstore [samples] [documents]
#
# WORKLOADS (environment) picks some of: named allprop concurrent hol
# (default: all), e.g. WORKLOADS=hol bench/docstore/compare_apache.sh BIN 5 100
#
# Runs as root: Apache starts from a standalone configuration, on loopback
# only, and drops to `User www-data`. Both servers keep their data on disk
# under one temporary directory, removed at the end. Both check Basic
# credentials against the same kind of hash at the same cost (SHA-512 crypt,
# 20,000 rounds, the docstore's stored form) and both remember a proven
# password (the docstore per connection, Apache through mod_authn_socache), so
# neither pays the hash on every request.
set -euo pipefail

binary=$(readlink -f "${1:?usage: compare_apache.sh path/to/orvex-docstore [samples] [documents]}")
samples=${2:-5}
documents=${3:-100000}
workloads=" ${WORKLOADS:-named allprop concurrent hol} "
runs() { [[ "$workloads" == *" $1 "* ]]; }
clients=16
pairs_per_client=100

if [ "$(id -u)" -ne 0 ]; then
  echo "compare_apache.sh: run as root (Apache drops to www-data itself)" >&2
  exit 1
fi
for tool in apache2 htpasswd curl python3 bc; do
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

median() {
  sort -g | awk '{v[NR]=$1} END {if (NR%2) print v[(NR+1)/2]; else printf "%.6f\n", (v[NR/2]+v[NR/2+1])/2}'
}
now() { date +%s.%N; }

# --- The same data for both: /dav/many/doc-N.txt, /dav/load/ ---------------
echo "preparing $documents documents and a 1 GiB file in $work"
mkdir -p "$work/apache/dav/many" "$work/apache/dav/load" "$work/davlock"
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
                        "items": [{"name": "many", "type": "standard", "items": items},
                                  {"name": "load", "type": "standard"}]}]}
with open(os.path.join(work, "seed.json"), "w") as f:
    json.dump(seed, f)
PY
runs hol && dd if=/dev/urandom of="$work/big.bin" bs=1M count=1024 status=none
# The head-of-line client: small PUT, PROPFIND Depth 0 and GET rounds on one
# kept-alive connection, the first round unmeasured (it proves the password);
# it announces itself with the file "$stop.ready" and stops when "$stop"
# exists. Each request gives a line "finished-at started-at milliseconds
# status".
cat >"$work/small_client.py" <<'PY'
import base64, http.client, os, sys, time
port, prefix, stop, log = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
auth = "Basic " + base64.b64encode(b"bench:bench").decode()
conn = http.client.HTTPConnection("127.0.0.1", port)
props = (b'<?xml version="1.0" encoding="utf-8"?><D:propfind xmlns:D="DAV:"><D:prop>'
         b'<D:getcontentlength/><D:getetag/></D:prop></D:propfind>')
out = open(log, "w")
def request(method, path, body=None, headers=None, record=True):
    h = {"Authorization": auth}
    h.update(headers or {})
    t0 = time.time()
    s0 = time.perf_counter()
    conn.request(method, path, body=body, headers=h)
    response = conn.getresponse()
    response.read()
    ms = (time.perf_counter() - s0) * 1000
    if record:
        out.write("%.6f %.6f %.3f %d\n" % (time.time(), t0, ms, response.status))
def round_of(n, record=True):
    path = "%s-%d.txt" % (prefix, n)
    request("PUT", path, b"a small document\n", record=record)
    request("PROPFIND", path, props, {"Depth": "0", "Content-Type": "application/xml"}, record)
    request("GET", path, record=record)
round_of(0, record=False)
open(stop + ".ready", "w").close()
n = 0
while not os.path.exists(stop):
    n += 1
    round_of(n)
    time.sleep(0.005)
out.close()
PY
printf 'a small document\n' >"$work/small.txt"
htpasswd -5 -r 20000 -bc "$work/htpasswd" bench bench 2>/dev/null
chown -R www-data:www-data "$work/apache" "$work/davlock"
chmod 644 "$work/htpasswd"

# --- Apache mod_dav_fs --------------------------------------------------------
free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
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
KeepAliveTimeout 60
MaxKeepAliveRequests 0
LoadModule mpm_event_module $modules/mod_mpm_event.so
LoadModule authz_core_module $modules/mod_authz_core.so
LoadModule authz_user_module $modules/mod_authz_user.so
LoadModule authn_core_module $modules/mod_authn_core.so
LoadModule authn_file_module $modules/mod_authn_file.so
LoadModule authn_socache_module $modules/mod_authn_socache.so
LoadModule socache_shmcb_module $modules/mod_socache_shmcb.so
LoadModule auth_basic_module $modules/mod_auth_basic.so
LoadModule dav_module $modules/mod_dav.so
LoadModule dav_fs_module $modules/mod_dav_fs.so
DocumentRoot $work/apache
DavLockDB $work/davlock/DavLock
LimitRequestBody 0
AuthnCacheSOCache shmcb
<Directory $work/apache/dav>
  Dav On
  AuthType Basic
  AuthName "bench"
  AuthBasicProvider socache file
  AuthnCacheProvideFor file
  AuthnCacheTimeout 3600
  AuthUserFile $work/htpasswd
  Require valid-user
</Directory>
EOF
apache2 -f "$work/apache.conf" -DFOREGROUND &
apache_pid=$!

# --- orvex-docstore (store on disk, like Apache's) ---------------------------
# The prepared files go to disk first, so the start-up below flushes only what
# the docstore itself writes.
sync
start=$(now)
"$binary" --listen 127.0.0.1:0 --seed "$work/seed.json" --store "$work/docstore" >"$work/docstore.out" 2>&1 &
docstore_pid=$!
docstore_port=
# Poll until it announces itself or exits; no fixed limit on how long a large
# seed may take.
while [ -z "$docstore_port" ]; do
  kill -0 "$docstore_pid" 2>/dev/null ||
    { echo "orvex-docstore did not start:" >&2; cat "$work/docstore.out" >&2; exit 1; }
  docstore_port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/docstore.out")
  sleep 0.05
done
docstore_start=$(echo "$(now) - $start" | bc -l)
until curl -s -o /dev/null "http://127.0.0.1:$apache_port/"; do
  kill -0 "$apache_pid" 2>/dev/null || { cat "$work/apache-error.log" >&2; exit 1; }
  sleep 0.05
done

apache_url="http://127.0.0.1:$apache_port/dav"
docstore_url="http://127.0.0.1:$docstore_port/dav"
cat >"$work/allprop.xml" <<'EOF'
<?xml version="1.0" encoding="utf-8"?><D:propfind xmlns:D="DAV:"><D:allprop/></D:propfind>
EOF
cat >"$work/named.xml" <<'EOF'
<?xml version="1.0" encoding="utf-8"?><D:propfind xmlns:D="DAV:"><D:prop><D:getcontentlength/><D:getlastmodified/><D:getetag/><D:resourcetype/></D:prop></D:propfind>
EOF

# The server processes whose memory counts: the docstore, or every Apache
# process (the largest one is reported).
pids_of() {
  if [ "$1" = docstore ]; then echo "$docstore_pid"; else
    echo "$(cat "$work/apache.pid") $(pgrep -P "$(cat "$work/apache.pid")" | tr '\n' ' ')"
  fi
}
reset_peak() { for p in $(pids_of "$1"); do echo 5 >"/proc/$p/clear_refs" 2>/dev/null || true; done; }
peak_kib() {
  local max=0 v
  for p in $(pids_of "$1"); do
    v=$(awk '/^VmHWM:/ {print $2}' "/proc/$p/status" 2>/dev/null || echo 0)
    [ "${v:-0}" -gt "$max" ] && max=$v
  done
  echo "$max"
}

# One PROPFIND Depth 1 on the big folder: "seconds bytes".
propfind_many() {  # server body-file
  local url_var=${1}_url
  curl -s -u bench:bench -X PROPFIND -H 'Depth: 1' -H 'Content-Type: application/xml' \
    --data-binary @"$2" -o "$work/answer.xml" -w '%{http_code} %{time_total} %{size_download}\n' \
    "${!url_var}/many/"
}

# A curl config for one client: `pairs` small PUTs, each followed by a PROPFIND
# Depth 0 of the new document, all on one kept-alive connection.
client_config() {  # server client-id pairs tag
  local url_var=${1}_url
  local base=${!url_var}/load
  for i in $(seq "$3"); do
    printf -- '--next\n-s\n-u bench:bench\n-o /dev/null\n-w "%%{http_code} %%{time_total}\\n"\n-T %s\nurl = "%s/%s-%s-%s.txt"\n' \
      "$work/small.txt" "$base" "$4" "$2" "$i"
    printf -- '--next\n-s\n-u bench:bench\n-o /dev/null\n-w "%%{http_code} %%{time_total}\\n"\n-X PROPFIND\n-H "Depth: 0"\n-H "Content-Type: application/xml"\n--data-binary @%s\nurl = "%s/%s-%s-%s.txt"\n' \
      "$work/named.xml" "$base" "$4" "$2" "$i"
  done
}

for server in apache docstore; do
  read -r code _ bytes < <(propfind_many "$server" "$work/named.xml")
  responses=$( (grep -oE '<[A-Za-z0-9]+:response[ >]' "$work/answer.xml" || true) | wc -l)
  if [ "$code" != 207 ] || [ "$responses" -ne $((documents + 1)) ]; then
    echo "compare_apache.sh: $server answered $code with $responses responses" >&2
    exit 1
  fi
done

for w in named allprop concurrent put hol hol-median hol-count alone-median alone-max; do
  for s in apache docstore; do : >"$work/$s.$w"; done
done
: >"$work/apache.named-mem"; : >"$work/docstore.named-mem"
: >"$work/apache.allprop-bytes"; : >"$work/docstore.allprop-bytes"

echo "$samples paired samples of each workload"
for sample in $(seq "$samples"); do
  for server in apache docstore; do
    if runs named; then
      # PROPFIND, four named properties, with the server's peak memory.
      reset_peak "$server"
      read -r code seconds _ < <(propfind_many "$server" "$work/named.xml")
      [ "$code" = 207 ] || { echo "$server PROPFIND answered $code" >&2; exit 1; }
      echo "$seconds" >>"$work/$server.named"
      peak_kib "$server" >>"$work/$server.named-mem"
    fi

    if runs allprop; then
      read -r code seconds bytes < <(propfind_many "$server" "$work/allprop.xml")
      [ "$code" = 207 ] || { echo "$server PROPFIND allprop answered $code" >&2; exit 1; }
      echo "$seconds" >>"$work/$server.allprop"
      echo "$bytes" >>"$work/$server.allprop-bytes"
    fi

    if runs concurrent; then
      # 16 clients at once.
      for c in $(seq "$clients"); do client_config "$server" "$c" "$pairs_per_client" "s$sample" >"$work/client-$c.cfg"; done
      t0=$(now)
      client_pids=()
      for c in $(seq "$clients"); do
        curl -K "$work/client-$c.cfg" >"$work/client-$c.out" &
        client_pids+=($!)
      done
      wait "${client_pids[@]}"
      t1=$(now)
      bad=$(cat "$work"/client-*.out | awk '$1 != 201 && $1 != 207' | wc -l)
      [ "$bad" -eq 0 ] || { echo "$server: $bad concurrent requests failed" >&2; exit 1; }
      echo "$clients * $pairs_per_client * 2 / ($t1 - $t0)" | bc -l >>"$work/$server.concurrent"
    fi

    if runs hol; then
      # 1 GiB PUT, with a second client's small requests meanwhile; the same
      # client alone for as long beforehand gives the figures to compare with.
      url_var=${server}_url
      rm -f "$work/stop" "$work/stop.ready"
      port_var=${server}_port
      python3 "$work/small_client.py" "${!port_var}" "/dav/load/h$sample" "$work/stop" \
        "$work/small.log" &
      small=$!
      while [ ! -f "$work/stop.ready" ]; do
        kill -0 "$small" 2>/dev/null || { echo "$server: small client failed" >&2; exit 1; }
        sleep 0.05
      done
      alone_from=$(now)
      sleep 3
      big_from=$(now)
      curl -s -u bench:bench -T "$work/big.bin" -o /dev/null -w '%{http_code} %{time_total}\n' \
        "${!url_var}/big-$sample.bin" >"$work/big.out"
      big_to=$(now)
      touch "$work/stop"
      wait "$small"
      read -r code seconds <"$work/big.out"
      [ "$code" = 201 ] || { echo "$server big PUT answered $code" >&2; exit 1; }
      echo "$seconds" >>"$work/$server.put"
      awk '$4 != 201 && $4 != 204 && $4 != 207 && $4 != 200 {bad++} END {exit bad > 0}' \
        "$work/small.log" || { echo "$server: small requests failed" >&2; exit 1; }
      # Requests wholly inside each period count.
      awk -v a="$alone_from" -v b="$big_from" '$2 >= a && $1 <= b {print $3}' "$work/small.log" |
        sort -g >"$work/alone.ms"
      awk -v a="$big_from" -v b="$big_to" '$2 >= a && $1 <= b {print $3}' "$work/small.log" |
        sort -g >"$work/during.ms"
      [ -s "$work/during.ms" ] || { echo "$server: no small request during the PUT" >&2; exit 1; }
      median <"$work/alone.ms" >>"$work/$server.alone-median"
      tail -1 "$work/alone.ms" >>"$work/$server.alone-max"
      median <"$work/during.ms" >>"$work/$server.hol-median"
      tail -1 "$work/during.ms" >>"$work/$server.hol"
      wc -l <"$work/during.ms" >>"$work/$server.hol-count"
      curl -s -u bench:bench -X DELETE -o /dev/null "${!url_var}/big-$sample.bin"
    fi
  done
done

row() {  # label unit apache-file docstore-file [scale]
  local a d scale=${5:-1}
  a=$(median <"$3")
  d=$(median <"$4")
  printf '%-46s %12.4g %12.4g %8.2f\n' "$1 ($2)" "$(echo "$a * $scale" | bc -l)" \
    "$(echo "$d * $scale" | bc -l)" "$(echo "$d / $a" | bc -l)"
}
echo
printf '%-46s %12s %12s %8s\n' "median of $samples paired samples" "Apache" "docstore" "ratio"
if runs named; then
  row "PROPFIND Depth 1, $documents docs, 4 props" "s" "$work/apache.named" "$work/docstore.named"
  row "  peak memory of the largest process" "MiB" "$work/apache.named-mem" "$work/docstore.named-mem" "1/1024"
fi
if runs allprop; then
  row "PROPFIND Depth 1, $documents docs, allprop" "s" "$work/apache.allprop" "$work/docstore.allprop"
  row "  allprop answer size" "MB" "$work/apache.allprop-bytes" "$work/docstore.allprop-bytes" "1/1000000"
fi
if runs concurrent; then
  row "$clients clients, small PUT + PROPFIND" "req/s" "$work/apache.concurrent" "$work/docstore.concurrent"
fi
if runs hol; then
  row "PUT 1 GiB" "s" "$work/apache.put" "$work/docstore.put"
  row "  small requests meanwhile, median" "ms" "$work/apache.hol-median" "$work/docstore.hol-median"
  row "  small requests meanwhile, slowest" "ms" "$work/apache.hol" "$work/docstore.hol"
  row "  (number of small requests meanwhile)" "n" "$work/apache.hol-count" "$work/docstore.hol-count"
  row "  same client alone, median" "ms" "$work/apache.alone-median" "$work/docstore.alone-median"
  row "  same client alone, slowest" "ms" "$work/apache.alone-max" "$work/docstore.alone-max"
  printf '%-46s %12.4g %12.4g\n' "  slowest small request of all samples (ms)" \
    "$(sort -g "$work/apache.hol" | tail -1)" "$(sort -g "$work/docstore.hol" | tail -1)"
fi
printf '%-46s %12s %12.4g\n' "start-up with a $documents-document seed (s)" "-" "$docstore_start"
echo "(ratio = docstore / Apache: below 1 is better for times and memory, above 1 for req/s)"
echo "The docstore flushes content and its database log to disk (fsync) before answering a"
echo "write; Apache mod_dav_fs does not flush."
