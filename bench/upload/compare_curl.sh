#!/usr/bin/env bash
# Measures the library's upload against curl, against the same standalone
# orvex-docstore, in the same run, in alternating (paired) samples:
#   - SaveFile of one large file (ShowDialog False, no check-in), driven by the
#     console `orvex`, against `curl -T` of the same file to the same folder:
#     wall time of each, their ratio, and the peak RSS of both processes
#     (/usr/bin/time -v);
#   - SaveFile of many 4 KiB files into an enhanced folder with AddCheckIn and
#     AddPublish, against one curl process sending PUT + CHECKIN + PUBLISH per
#     file over one kept-alive connection: time per upload, the ratio, and
#     the requests each upload costs (counted by the docstore's neighbour, a
#     counting relay, in a separate untimed pass).
# Every figure is the median of the samples; each sample starts with the
# documents of the previous one deleted.
#
#   bench/upload/compare_curl.sh BUILD_DIR [samples] [size-MiB] [files]
#
# Defaults: 5 samples, a 1024 MiB file, 1000 files. The files and the store
# go below ORVEX_BENCH_TMP (default /tmp): point it at a tmpfs such as
# /dev/shm so the disk is not what the large upload compares.
set -euo pipefail

build=$(readlink -f "${1:?usage: compare_curl.sh BUILD_DIR [samples] [size-MiB] [files]}")
samples=${2:-5}
size_mib=${3:-1024}
files=${4:-1000}
console="$build/tools/orvex/orvex"
docstore="$build/tools/orvex-docstore/orvex-docstore"
for tool in "$console" "$docstore" /usr/bin/time curl python3; do
  command -v "$tool" >/dev/null || { echo "compare_curl.sh: $tool is missing" >&2; exit 1; }
done

work=$(mktemp -d "${ORVEX_BENCH_TMP:-/tmp}/upload-vs-curl-XXXXXX")
docstore_pid=
relay_pid=
cleanup() {
  # A killed process's wait fails: nothing here may stop the clean-up.
  if [ -n "$relay_pid" ]; then kill "$relay_pid" 2>/dev/null || true; wait "$relay_pid" 2>/dev/null || true; fi
  if [ -n "$docstore_pid" ]; then kill "$docstore_pid" 2>/dev/null || true; wait "$docstore_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

median() {
  sort -g | awk '{v[NR]=$1} END {if (NR%2) print v[(NR+1)/2]; else printf "%.6f\n", (v[NR/2]+v[NR/2+1])/2}'
}
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
# Wall seconds and peak RSS (KiB) of a command, from /usr/bin/time -v.
timed() {
  /usr/bin/time -v -o "$work/time.txt" "$@" >"$work/out.txt" 2>&1 || {
    echo "compare_curl.sh: failed: $*" >&2; cat "$work/out.txt" >&2; exit 1; }
  python3 - "$work/time.txt" <<'PY'
import sys
wall = rss = None
for line in open(sys.argv[1]):
    line = line.strip()
    if line.startswith("Elapsed (wall clock) time"):
        parts = [float(p) for p in line.rsplit(" ", 1)[1].split(":")]
        wall = sum(p * 60 ** i for i, p in enumerate(reversed(parts)))
    elif line.startswith("Maximum resident set size"):
        rss = int(line.rsplit(" ", 1)[1])
print(wall, rss)
PY
}

# --- One server: the built-in sample store, in the work folder. Large files go to the
# standard folder Archive (deleted between samples), small ones to a new
# enhanced folder per sample and side, so every run starts from an empty
# folder (an approved document stays, and the upload's status check lists
# the folder).
port=$(free_port)
"$docstore" --listen "127.0.0.1:$port" --store "$work/store" \
  >"$work/docstore.log" 2>&1 &
docstore_pid=$!
for _ in $(seq 100); do curl -s -o /dev/null "http://127.0.0.1:$port/" && break; sleep 0.1; done
base="http://127.0.0.1:$port/Sales"
auth=(-u 'CORP\jones:secret' -H "Host: docs")

echo "preparing a $size_mib MiB file and $files files of 4 KiB in $work"
head -c "$((size_mib * 1024 * 1024))" /dev/urandom >"$work/large.bin"
mkdir -p "$work/small"
for i in $(seq 1 "$files"); do head -c 4096 /dev/urandom >"$work/small/f$i.bin"; done

# --- Large file. -------------------------------------------------------------
cat >"$work/large.vbs" <<VBS
Set cx = CreateObject("Linkora.ConnectOrvex")
cx.ShowDialog = False
If Not cx.ConnectOpen("docs", "jones", "CORP", "secret") Then Print "connect failed", cx.GetLastError
If Not cx.SetWorkspace("Sales") Then Print "workspace failed", cx.GetLastError
cx.OverWrite = 1
If Not cx.SaveFile("Archive", "$work", "large.bin") Then Print "upload failed", cx.GetLastError
VBS
: >"$work/large_client.txt"; : >"$work/large_curl.txt"
for s in $(seq 1 "$samples"); do
  curl -s -o /dev/null "${auth[@]}" -X DELETE "$base/Archive/large.bin" || true
  read -r wall rss < <(timed "$console" --ui headless --map-host "docs=127.0.0.1:$port" "$work/large.vbs")
  grep -q failed "$work/out.txt" && { cat "$work/out.txt" >&2; exit 1; }
  echo "$wall $rss" >>"$work/large_client.txt"
  curl -s -o /dev/null "${auth[@]}" -X DELETE "$base/Archive/large.bin"
  read -r wall rss < <(timed curl -sS -f -o /dev/null "${auth[@]}" -T "$work/large.bin" \
    "$base/Archive/large.bin")
  echo "$wall $rss" >>"$work/large_curl.txt"
done
lc_wall=$(cut -d' ' -f1 "$work/large_client.txt" | median)
lc_rss=$(cut -d' ' -f2 "$work/large_client.txt" | median)
lu_wall=$(cut -d' ' -f1 "$work/large_curl.txt" | median)
lu_rss=$(cut -d' ' -f2 "$work/large_curl.txt" | median)

# --- Many small files with check-in and publishing. --------------------------
# small_script FOLDER: the script uploading f1.bin ... fn.bin into FOLDER.
small_script() {
  echo "prefix = \"$1\""
  cat "$work/small.vbs"
}
cat >"$work/small.vbs" <<VBS
Set cx = CreateObject("Linkora.ConnectOrvex")
cx.ShowDialog = False
If Not cx.ConnectOpen("docs", "jones", "CORP", "secret") Then Print "connect failed", cx.GetLastError
If Not cx.SetWorkspace("Sales") Then Print "workspace failed", cx.GetLastError
cx.AddCheckIn = True
cx.AddPublish = True
cx.CheckInComment = "bench"
For i = 1 To $files
  If Not cx.SaveFile(prefix, "$work/small", "f" & i & ".bin") Then Print "upload failed", i, cx.GetLastError
Next
VBS
# The curl side: one process, one connection, PUT + CHECKIN + PUBLISH per file.
curl_config() {
  python3 - "$work" "$files" "$base" "$1" <<'PY'
import sys
work, files, base, prefix = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
# Options after "next" start afresh: every request carries its own.
common = 'user = "CORP\\\\jones:secret"\nheader = "Host: docs"\nfail\noutput = "/dev/null"'
for i in range(1, files + 1):
    url = "%s/%s/f%d.bin" % (base, prefix, i)
    print('%s\nurl = "%s"\nupload-file = "%s/small/f%d.bin"\nnext' % (common, url, work, i))
    print('%s\nurl = "%s"\nrequest = "CHECKIN"\nheader = "Content-Type: application/xml"' % (common, url))
    print('data = "<D:checkin xmlns:D=\\"DAV:\\"><D:comment>bench</D:comment></D:checkin>"\nnext')
    print('%s\nurl = "%s"\nrequest = "PUBLISH"' % (common, url))
    if i < files:
        print("next")
PY
}
: >"$work/small_client.txt"; : >"$work/small_curl.txt"
# The folders, made before anything is timed: c<s> for the client, u<s>
# for curl, r for the counting pass.
{
  echo 'Set cx = CreateObject("Linkora.ConnectOrvex")'
  echo 'cx.ShowDialog = False'
  echo 'cx.ConnectOpen "docs", "jones", "CORP", "secret"'
  echo 'cx.SetWorkspace "Sales"'
  for s in $(seq 1 "$samples"); do
    echo "If Not cx.CreateFolder(\"c$s\", True) Then Print \"failed\""
    echo "If Not cx.CreateFolder(\"u$s\", True) Then Print \"failed\""
  done
  echo 'If Not cx.CreateFolder("r", True) Then Print "failed"'
} >"$work/folders.vbs"
"$console" --ui headless --map-host "docs=127.0.0.1:$port" "$work/folders.vbs" >"$work/out.txt"
grep -q failed "$work/out.txt" && { echo "compare_curl.sh: cannot create folders" >&2; exit 1; }
for s in $(seq 1 "$samples"); do
  small_script "c$s" >"$work/run.vbs"
  read -r wall _ < <(timed "$console" --ui headless --map-host "docs=127.0.0.1:$port" "$work/run.vbs")
  grep -q failed "$work/out.txt" && { cat "$work/out.txt" >&2; exit 1; }
  echo "$wall" >>"$work/small_client.txt"
  curl_config "u$s" >"$work/run.curl"
  read -r wall _ < <(timed curl -sS -K "$work/run.curl")
  echo "$wall" >>"$work/small_curl.txt"
  # Both sides must have published their last document.
  for side in c u; do
    curl -s "${auth[@]}" -X PROPFIND -H "Depth: 0" "$base/$side$s/f$files.bin" | grep -q approved || {
      echo "compare_curl.sh: $side$s/f$files.bin is not published" >&2; exit 1; }
  done
done
sc_wall=$(median <"$work/small_client.txt")
su_wall=$(median <"$work/small_curl.txt")

# Requests per upload: one more pass through a counting relay (not timed).
relay_port=$(free_port)
python3 - "$relay_port" "$port" "$work/methods.txt" <<'PY' &
import socket, sys, threading
listen, target, out = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
methods = ("GET", "HEAD", "PUT", "POST", "DELETE", "MKCOL", "PROPFIND", "PROPPATCH", "COPY",
           "MOVE", "CHECKOUT", "CHECKIN", "UNCHECKOUT", "PUBLISH", "REPORT", "OPTIONS")
lock = threading.Lock()
def pump(src, dst, parse):
    buf = b""
    body = 0
    while True:
        data = src.recv(65536)
        if not data:
            break
        dst.sendall(data)
        if not parse:
            continue
        buf += data
        while True:
            if body:
                take = min(body, len(buf)); buf = buf[take:]; body -= take
                if body: break
            end = buf.find(b"\r\n\r\n")
            if end < 0: break
            head = buf[:end].decode("latin-1").split("\r\n"); buf = buf[end + 4:]
            if head[0].split(" ")[0] in methods:
                with lock, open(out, "a") as f: f.write(head[0].split(" ")[0] + "\n")
            for h in head[1:]:
                if h.lower().startswith("content-length:"): body = int(h.split(":")[1])
    try: dst.shutdown(socket.SHUT_WR)
    except OSError: pass
srv = socket.socket(); srv.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
srv.bind(("127.0.0.1", listen)); srv.listen(8)
while True:
    c, _ = srv.accept()
    s = socket.create_connection(("127.0.0.1", target))
    threading.Thread(target=pump, args=(c, s, True), daemon=True).start()
    threading.Thread(target=pump, args=(s, c, False), daemon=True).start()
PY
relay_pid=$!
for _ in $(seq 100); do curl -s -o /dev/null "http://127.0.0.1:$relay_port/" && break; sleep 0.1; done
small_script "r" >"$work/run.vbs"
: >"$work/methods.txt"
"$console" --ui headless --map-host "docs=127.0.0.1:$relay_port" "$work/run.vbs" >"$work/out.txt"
grep -q failed "$work/out.txt" && { cat "$work/out.txt" >&2; exit 1; }
sleep 0.5
requests=$(wc -l <"$work/methods.txt")
breakdown=$(sort "$work/methods.txt" | uniq -c | awk -v n="$files" '{printf "%s %.2f, ", $2, $1 / n}')
# The console's connect and SetWorkspace, spread over the uploads, are
# counted too: 4 requests in all.

echo
echo "== SaveFile of a $size_mib MiB file vs curl -T (median of $samples) =="
printf "  client  %8.3f s  peak RSS %7.1f MiB\n" "$lc_wall" "$(echo "$lc_rss / 1024" | bc -l)"
printf "  curl    %8.3f s  peak RSS %7.1f MiB\n" "$lu_wall" "$(echo "$lu_rss / 1024" | bc -l)"
# The samples are paired (client, then curl, on the same machine state): the
# median of the per-sample ratios is less sensitive to a noisy neighbour.
paired=$(paste -d' ' "$work/large_client.txt" "$work/large_curl.txt" | awk '{print $1 / $3}' | median)
printf "  time ratio client/curl %.3f, median of paired ratios %.3f (target <= 1.11)\n" \
  "$(echo "$lc_wall / $lu_wall" | bc -l)" "$paired"
echo "  client RSS target <= 64 MiB"
echo
echo "== $files uploads of 4 KiB with check-in and publishing (median of $samples) =="
printf "  client  %8.3f ms per upload\n" "$(echo "$sc_wall * 1000 / $files" | bc -l)"
printf "  curl    %8.3f ms per upload (PUT + CHECKIN + PUBLISH)\n" "$(echo "$su_wall * 1000 / $files" | bc -l)"
paired=$(paste -d' ' "$work/small_client.txt" "$work/small_curl.txt" | awk '{print $1 / $2}' | median)
printf "  time ratio client/curl %.3f, median of paired ratios %.3f\n" \
  "$(echo "$sc_wall / $su_wall" | bc -l)" "$paired"
printf "  requests per upload: client %.2f (%s) vs curl 3\n" "$(echo "$requests / $files" | bc -l)" \
  "${breakdown%, }"
