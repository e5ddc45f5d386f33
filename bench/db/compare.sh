#!/usr/bin/env bash
# Table engine speed beside programs that do the same work, in one run:
#   bench/db/compare.sh [BUILD_DIR]        (default: build-db; needs db_bench built)
# 1,000,000 records of 100 bytes with one NTX on a C(20) key are generated into
# $KALVENTO_BENCH_DIR (default /tmp/kalvento-bench) and removed afterwards
# unless KEEP=1. Peers: Debian's python3 with python3-dbf (append, scan),
# ogr2ogr from gdal-bin (copying the DBF), cp (the limit for a copy).
set -euo pipefail
BUILD=${1:-build-db}
export KALVENTO_BENCH_DIR=${KALVENTO_BENCH_DIR:-/tmp/kalvento-bench}
export KALVENTO_BENCH_RECORDS=${KALVENTO_BENCH_RECORDS:-1000000}
DIR=$KALVENTO_BENCH_DIR
N=$KALVENTO_BENCH_RECORDS
PY=/usr/bin/python3
PY_APPEND=${PY_APPEND:-100000}
mkdir -p "$DIR"

now() { date +%s.%N; }
elapsed() { "$PY" -c "print('%.3f' % ($2 - $1))"; }

echo "== engine (db_bench, $N records) =="
"$BUILD/bench/db/db_bench" --benchmark_out="$DIR/engine.json" --benchmark_out_format=json

echo "== peers =="
cat "$DIR/bench.dbf" > /dev/null  # in the page cache, as for the engine
t0=$(now); cp "$DIR/bench.dbf" "$DIR/cp.dbf"; t1=$(now)
cp_s=$(elapsed "$t0" "$t1"); echo "cp of the table:              ${cp_s} s"

rm -rf "$DIR/ogr"; mkdir -p "$DIR/ogr"
t0=$(now); ogr2ogr -f "ESRI Shapefile" "$DIR/ogr/copy.dbf" "$DIR/bench.dbf"; t1=$(now)
ogr_s=$(elapsed "$t0" "$t1"); echo "ogr2ogr copy of the table:    ${ogr_s} s"

py_append=$("$PY" - "$DIR" "$PY_APPEND" <<'PYEOF'
import sys, time, datetime, dbf
d, n = sys.argv[1], int(sys.argv[2])
t = dbf.Table(d + '/py_append.dbf',
              'name C(20); city C(30); amount N(12,2); qty N(8,0); born D; active L; note C(20)',
              dbf_type='db3')
t.open(dbf.READ_WRITE)
start = time.perf_counter()
for i in range(n):
    t.append(('K%017d' % i, 'Musterstadt', (i % 100000) * 1.25, i % 1000,
              datetime.date(1950 + i % 60, 1 + i % 12, 1 + i % 28), i % 2 == 0, 'Bemerkung'))
t.close()
print('%.1f' % (n / (time.perf_counter() - start)))
PYEOF
)
echo "python dbf append (no index):  ${py_append} records/s ($PY_APPEND records)"

py_scan=$("$PY" - "$DIR/bench.dbf" <<'PYEOF'
import sys, time, dbf
t = dbf.Table(sys.argv[1]); t.open(dbf.READ_ONLY)
start = time.perf_counter()
n = 0
for r in t:
    values = [r[i] for i in range(7)]
    n += 1
print('%.3f %d' % (time.perf_counter() - start, n))
PYEOF
)
echo "python dbf scan, every field:  ${py_scan% *} s for ${py_scan#* } records"

echo "== figures =="
"$PY" - "$DIR/engine.json" "$cp_s" "$ogr_s" "$py_append" "${py_scan% *}" "$N" <<'PYEOF'
import json, sys
runs = {b['name']: b for b in json.load(open(sys.argv[1]))['benchmarks']}
cp_s, ogr_s, py_append, py_scan, n = map(float, sys.argv[2:7])
def get(prefix):
    return next(b for name, b in runs.items() if name.startswith(prefix))
def secs(b):
    return b['real_time'] / {'ms': 1e3, 'us': 1e6, 'ns': 1e9, 's': 1}[b['time_unit']]
ex = get('BM_AppendExclusiveWithIndex')['items_per_second']
sh = get('BM_AppendSharedWithLocks')['items_per_second']
idx = secs(get('BM_IndexCreate'))
seek_ex = get('BM_SeekRandomExisting/shared:0/created:0')['items_per_second']
seek_sh = get('BM_SeekRandomExisting/shared:1/created:0')['items_per_second']
seek_ex_c = get('BM_SeekRandomExisting/shared:0/created:1')['items_per_second']
seek_sh_c = get('BM_SeekRandomExisting/shared:1/created:1')['items_per_second']
scan = secs(get('BM_FullScanEveryField'))
export = secs(get('BM_ExportWholeTable'))
def line(what, value, target, ok):
    print('%-48s %-28s target %-24s %s' % (what, value, target, 'met' if ok else 'MISSED'))
line('append + index, exclusive', '%.0f records/s' % ex, '>= 300000/s', ex >= 300000)
line('append + index, shared with locks', '%.0f records/s' % sh, '>= 30000/s', sh >= 30000)
print('   python dbf append (no index): %.0f records/s; exclusive/python = %.1f' % (py_append, ex / py_append))
line('DbSeek random existing keys, exclusive', '%.0f seeks/s' % seek_ex, '>= 500000/s', seek_ex >= 500000)
print('   index built by the appends; on the index from OrdCreate: %.0f seeks/s' % seek_ex_c)
print('   shared, index lock per seek: %.0f / %.0f seeks/s' % (seek_sh, seek_sh_c))
line('index creation, %d records' % n, '%.3f s' % idx, '< 2 s', idx < 2)
line('_DbExport of the whole table', '%.3f s' % export, '<= 3 x cp, < ogr2ogr', export <= 3 * cp_s and export < ogr_s)
print('   cp %.3f s (export/cp = %.2f), ogr2ogr %.3f s (ogr2ogr/export = %.1f)' % (cp_s, export / cp_s, ogr_s, ogr_s / export))
line('full scan, every field', '%.3f s' % scan, '>= 10 x python dbf', py_scan / scan >= 10)
print('   python dbf %.3f s; python/engine = %.1f' % (py_scan, py_scan / scan))
PYEOF

if [ "${KEEP:-0}" != 1 ]; then rm -rf "$DIR"; fi
