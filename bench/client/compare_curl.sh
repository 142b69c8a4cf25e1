#!/usr/bin/env bash
# The client's document listing beside one curl PROPFIND of the same folder,
# against the same orvex-docstore, in one run:
#   - GetFileInfo on an enhanced folder of 1,000 documents whose profile has
#     5 properties (all set on every document): median wall time and the HTTP
#     requests it sends, beside the median of `curl` PROPFIND Depth 1 allprop
#     of that folder (curl's own time_total; same credentials, kept nothing);
#   - the folder walk of IsVersionFolder over a tree with K = 6 folders that
#     have subfolders (target 1 + K listings, + 1 type check);
#   - the requests of ConnectOpen, SetWorkspace and GetDocFolderInfo;
#   - with SIZES given (say "1000 10000 32000"), GetFileInfo on a folder of
#     each size: median wall and client CPU time per document, the client's
#     peak resident set, and what it grew by per document from the size
#     before, to show the cost grows linearly.
#
#   bench/client/compare_curl.sh BUILD_DIR [samples] [SIZES]
set -euo pipefail

build=$(readlink -f "${1:?usage: compare_curl.sh BUILD_DIR [samples]}")
samples=${2:-15}
sizes=${3:-1000}
docstore="$build/tools/orvex-docstore/orvex-docstore"
bench="$build/bench/client/listing_bench"
for f in "$docstore" "$bench"; do
  [ -x "$f" ] || { echo "compare_curl.sh: $f is missing (build with -DORVEX_BUILD_BENCH=ON)" >&2; exit 1; }
done
for tool in curl python3; do
  command -v "$tool" >/dev/null || { echo "compare_curl.sh: $tool is missing" >&2; exit 1; }
done

work=$(mktemp -d /tmp/orvex-listing-XXXXXX)
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

python3 - "$work/seed.json" $sizes <<'PY'
import json, sys
office = "urn:schemas-microsoft-com:office:office#"
names = ["Title", "Author", "Description", "Keywords", "Status"]
props = [{"id": office + n, "title": n, "multivalued": n == "Keywords"} for n in names]
def docs(n):
    return [{"name": "doc-%05d.txt" % i, "type": "document", "content": "x",
             "versions": [{"user": "CORP\\jones", "content": "x"}],
             "properties": {office + "Title": "Document %d" % i, office + "Author": "jones",
                            office + "Description": "About %d" % i,
                            office + "Keywords": ["a", "b", "c"], office + "Status": "Draft"}}
            for i in range(n)]
big = [{"name": "Big", "type": "enhanced", "items": docs(1000)}]
big += [{"name": "Big%d" % n, "type": "enhanced", "items": docs(n)}
        for n in sorted({int(a) for a in sys.argv[2:]} - {1000})]
tree = [{"name": "F%d" % f, "type": "enhanced",
         "items": [{"name": "G%d" % g, "type": "enhanced"} for g in range(4)]} for f in range(5)]
seed = {"hosts": ["docs"], "users": [{"name": "CORP\\jones", "password": "secret"}],
        "schema": {"properties": props,
                   "profiles": [{"id": "urn:content-classes:document", "title": "Document",
                                 "properties": [office + n for n in names]}]},
        "workspaces": [{"name": "Bench", "roles": {"CORP\\jones": "author"},
                        "items": big + [{"name": "Tree", "type": "enhanced", "items": tree}]}]}
json.dump(seed, open(sys.argv[1], "w"))
PY

"$docstore" --seed "$work/seed.json" --listen 127.0.0.1:0 >"$work/out" 2>"$work/err" &
pid=$!
for _ in $(seq 100); do
  grep -q "listening on" "$work/out" 2>/dev/null && break
  sleep 0.1
done
port=$(sed -n 's/^listening on 127.0.0.1:\([0-9]*\)$/\1/p' "$work/out")
[ -n "$port" ] || { echo "compare_curl.sh: the docstore did not start" >&2; cat "$work/err" >&2; exit 1; }

median() {
  sort -g | awk '{v[NR]=$1} END {if (NR%2) print v[(NR+1)/2]; else printf "%.6f\n", (v[NR/2]+v[NR/2+1])/2}'
}

# Alternate the two so both see the same machine state.
: >"$work/curl"
for _ in $(seq "$samples"); do
  curl -s -o /dev/null -w '%{time_total}\n' -u 'CORP\jones:secret' -H 'Host: docs' \
    -H 'Depth: 1' -H 'Content-Type: application/xml' -X PROPFIND \
    --data '<?xml version="1.0" encoding="utf-8"?><D:propfind xmlns:D="DAV:"><D:allprop/></D:propfind>' \
    "http://127.0.0.1:$port/Bench/Big/" >>"$work/curl"
done
# GetFileInfo only on the folders seeded.
filter="BM_GetFileInfo/($(echo $sizes | tr ' ' '|'))/|BM_IsVersionFolder|BM_Connect"
ORVEX_DOCSTORE_PORT=$port "$bench" --benchmark_repetitions="$samples" --benchmark_filter="$filter" \
  --benchmark_report_aggregates_only=true --benchmark_format=json >"$work/bench.json" 2>"$work/bench.err" \
  || { echo "compare_curl.sh: listing_bench failed" >&2; cat "$work/bench.err" >&2; exit 1; }

curl_ms=$(median <"$work/curl" | awk '{printf "%.2f", $1 * 1000}')
python3 - "$work/bench.json" "$curl_ms" <<'PY'
import json, sys
runs = {b.get("run_name", b["name"]).split("/real_time")[0]: b
        for b in json.load(open(sys.argv[1]))["benchmarks"] if b.get("aggregate_name") == "median"}
curl_ms = float(sys.argv[2])
info = runs["BM_GetFileInfo/1000"]
walk = runs["BM_IsVersionFolder"]
conn = runs["BM_ConnectAndSetWorkspace"]
print("%-52s %12s %12s" % ("", "median ms", "requests"))
print("%-52s %12.2f %12d" % ("GetFileInfo, 1,000 documents x 5 properties", info["real_time"], info["requests"]))
print("%-52s %12.2f %12d" % ("curl PROPFIND Depth 1 allprop, same folder", curl_ms, 1))
print("%-52s %12.2f" % ("ratio GetFileInfo / curl (target <= 1.2)", info["real_time"] / curl_ms))
print("%-52s %12.2f %12d" % ("IsVersionFolder, walk with K = 6 (target 1+K+1 = 8)", walk["real_time"], walk["requests"]))
print("%-52s %12.2f %12d" % ("ConnectOpen + SetWorkspace", conn["real_time"], conn["connect_requests"] + conn["setworkspace_requests"]))
print("%-52s %12s %12d" % ("  ConnectOpen", "", conn["connect_requests"]))
print("%-52s %12s %12d" % ("  SetWorkspace", "", conn["setworkspace_requests"]))
print("%-52s %12s %12d" % ("GetDocFolderInfo(\"\")", "", conn["getdocfolderinfo_requests"]))
sizes = sorted(int(k.split("/")[1]) for k in runs if k.startswith("BM_GetFileInfo/"))
if len(sizes) > 1:
    print()
    print("%-10s %10s %12s %12s %14s %14s" % ("documents", "median ms", "wall us/doc",
                                                "CPU us/doc", "peak RSS MiB", "growth KiB/doc"))
    before = None
    for n in sizes:
        r = runs["BM_GetFileInfo/%d" % n]
        growth = "" if before is None else "%.2f" % (
            (r["peak_rss"] - before[1]) / 1024 / (n - before[0]))
        print("%-10d %10.1f %12.1f %12.1f %14.1f %14s" % (n, r["real_time"], r["real_time"] * 1000 / n,
                                                         r["cpu_time"] * 1000 / n,
                                                         r["peak_rss"] / 1048576, growth))
        before = (n, r["peak_rss"])
PY
