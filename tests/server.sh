#!/usr/bin/env bash
# Runs the test suite once more with every test's database on a server: a private cluster of its
# own in the build folder, listening on loopback only at a free port, stopped when the run ends,
# however it ends. The tests then find the server in CORVINA_TEST_SERVER.
set -euo pipefail
build=$(cd "${1:?usage: server.sh BUILD-FOLDER [ctest options]}" && pwd)
shift
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$bin" ] || [ ! -x "$bin/initdb" ]; then
    echo "server.sh: no database server is installed (make deps installs it)" >&2
    exit 1
fi

data=$build/server
rm -rf "$data"
mkdir -p "$data"
as=()
if [ "$(id -u)" = 0 ]; then
    # The server refuses to run as root: it runs as its package's own user.
    chown postgres: "$data"
    as=(runuser -u postgres --)
    if ! "${as[@]}" test -w "$data"; then
        # A build folder under a home that others may not enter: the cluster lives in a
        # temporary folder instead.
        rm -rf "$data"
        data=$(mktemp -d /tmp/corvina-server.XXXXXX)
        chown postgres: "$data"
    fi
fi

port=""
for candidate in $(seq 55432 55632); do
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$candidate") 2>/dev/null; then
        port=$candidate
        break
    fi
done
[ -n "$port" ] || { echo "server.sh: no free port on loopback" >&2; exit 1; }

"${as[@]}" "$bin/initdb" -D "$data/cluster" -U corvina --auth=trust --encoding=UTF8 \
    --locale=C.UTF-8 --no-sync >"$data/initdb.log" 2>&1 || { cat "$data/initdb.log"; exit 1; }
stop() {
    "${as[@]}" "$bin/pg_ctl" -D "$data/cluster" -m fast -w stop >/dev/null 2>&1 || true
}
trap stop EXIT
# Durability is of no use to a cluster thrown away after the run.
"${as[@]}" "$bin/pg_ctl" -D "$data/cluster" -w -l "$data/server.log" \
    -o "-p $port -k $data -c listen_addresses=127.0.0.1 -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=200" \
    start >/dev/null
"$bin/createdb" -h 127.0.0.1 -p "$port" -U corvina corvina_tests
# The trigram indexes' extension lives outside the tests' schemas, each of which is dropped with
# what it holds when its test ends.
"$bin/psql" -q -h 127.0.0.1 -p "$port" -U corvina -d corvina_tests -c 'CREATE EXTENSION pg_trgm' >/dev/null

echo "Running the tests on a database server at 127.0.0.1:$port"
cd "$build"
CORVINA_TEST_SERVER="postgresql://corvina@127.0.0.1:$port/corvina_tests" \
    ctest --output-on-failure -j 2 -E '^package$' "$@"
