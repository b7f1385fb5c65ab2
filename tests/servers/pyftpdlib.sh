#!/usr/bin/env bash
# pyftpdlib (package python3-pyftpdlib, for Debian's /usr/bin/python3) on 127.0.1.28:2121
# as its examples set it up: one user "ovra" / "secret" with every permission, home
# $OVRA_TEST_TMP/pyftpdlib/home. A data connection already made, it answers STOR with 125,
# and it stores LF.
#   pyftpdlib.sh start | stop
set -u
. "$(dirname "$0")/listening.bash"
dir=$OVRA_TEST_TMP/pyftpdlib

start() {
    /usr/bin/python3 -c 'import pyftpdlib' 2>/dev/null || { echo "pyftpdlib: skipped (not installed)"; return 0; }
    mkdir -p "$dir/home"
    /usr/bin/python3 - "$dir" >"$dir/daemon.log" 2>&1 </dev/null <<'PY' &
import logging, sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer
authorizer = DummyAuthorizer()
authorizer.add_user("ovra", "secret", sys.argv[1] + "/home", perm="elradfmwMT")
FTPHandler.authorizer = authorizer
logging.basicConfig(level=logging.INFO)
FTPServer(("127.0.1.28", 2121), FTPHandler).serve_forever()
PY
    echo $! >"$dir/pid"
    await_listen pyftpdlib 127.0.1.28 2121 "$dir/daemon.log"
}

stop() {
    [ -f "$dir/pid" ] && kill "$(cat "$dir/pid")" 2>/dev/null
    rm -f "$dir/pid"
}

start_or_stop "$@"
