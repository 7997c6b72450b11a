#!/bin/bash
# Test fixture: a private unixODBC configuration with the driver registered, a SQLite
# data source on the server side, and quillnet-server on a free loopback port.
#   fixture.sh start <dir> <quillnet-server> <libquillnet.so>
#   fixture.sh stop <dir>
set -eu
action=$1 dir=$2

if [ "$action" = stop ]; then
    if [ -f "$dir/server.pid" ]; then
        kill "$(cat "$dir/server.pid")" 2>/dev/null || true
        rm -f "$dir/server.pid"
    fi
    exit 0
fi

server=$3 driver=$4
sqlite_driver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so
[ -f "$dir/server.pid" ] && kill "$(cat "$dir/server.pid")" 2>/dev/null || true
rm -rf "$dir"
mkdir -p "$dir"
export ODBCSYSINI=$dir ODBCINI=$dir/odbc.ini
: > "$dir/odbcinst.ini"
: > "$dir/odbc.ini"

cat > "$dir/drivers.tmpl" <<INI
[QuillNet]
Description = Quill Net ODBC driver
Driver = $driver
ExFetchMapping = 0

[SQLite3]
Description = SQLite 3 (server side)
Driver = $sqlite_driver
INI
odbcinst -i -d -f "$dir/drivers.tmpl" > /dev/null

cat > "$dir/QUILLNET.INI" <<INI
[QNET Option Types]
5000 = STRING
5001 = DWORD
5002 = TEXT
INI

# The server's data source.
cat >> "$dir/odbc.ini" <<INI
[srvdb]
Driver = SQLite3
Database = $dir/test.db

INI

# The server grants what it can by default; a small statement limit to test.
cat > "$dir/server.conf" <<CONF
maxstatements = 6
CONF

"$server" --config "$dir/server.conf" --listen 127.0.0.1 --port 0 --port-file "$dir/port" > "$dir/server.log" 2>&1 < /dev/null &
echo $! > "$dir/server.pid"
for _ in $(seq 1 100); do
    [ -s "$dir/port" ] && break
    sleep 0.1
done
if [ ! -s "$dir/port" ]; then
    echo "quillnet-server did not start; log:" >&2
    cat "$dir/server.log" >&2
    exit 1
fi
port=$(cat "$dir/port")

# The client's data sources: a complete one, one with credentials, and broken ones.
cat >> "$dir/odbc.ini" <<INI
[quill]
Driver = QuillNet
ServerDSN = srvdb
NetworkAddr = 127.0.0.1
ServerPort = $port
TryIP = No

[quill_uid]
Driver = QuillNet
ServerDSN = srvdb
NetworkAddr = 127.0.0.1
ServerPort = $port
UID = dsnuser
PWD = dsnpass

[quill_noaddr]
Driver = QuillNet
ServerDSN = srvdb
ServerPort = $port

[quill_noport]
Driver = QuillNet
ServerDSN = srvdb
NetworkAddr = 127.0.0.1
ServerPort = 0

[quill_badsrv]
Driver = QuillNet
ServerDSN = nosuchdsn
NetworkAddr = 127.0.0.1
ServerPort = $port
INI
echo "fixture ready on port $port"
