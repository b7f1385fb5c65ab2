#!/usr/bin/env bash
# Secure FTP for the posting tests: two more proftpd daemons (tests/servers/ftp.sh with
# mod_tls and "TLSRequired on", so a plain login is refused), each with its own directory
# under $OVRA_TEST_TMP:
#   ftps        127.0.0.6  certificate for ftps.ovra.test from the authority the tests trust
#   ftps-unknown 127.0.0.8 certificate for unknown.ovra.test from an unknown authority
#   ftps-reuse  127.0.1.22 as ftps (reuse.ovra.test), with mod_tls's default: the data
#                          connection must resume the control connection's TLS session
#   ftps.sh start | stop
set -u
here=$(dirname "$0")
. "$here/certs.bash"

daemon() {  # ACTION NAME ADDRESS CERTIFICATE [reuse]
    OVRA_FTP_NAME=$2 OVRA_FTP_ADDRESS=$3 \
        OVRA_FTP_CONFIG=$(proftpd_tls_config "$4" "$OVRA_TEST_TMP/$2/tls.log" "${5:-}") bash "$here/ftp.sh" "$1"
}

each() {  # ACTION: for every daemon
    local status=0
    daemon "$1" ftps 127.0.0.6 ftps || status=1
    daemon "$1" ftps-unknown 127.0.0.8 unknown || status=1
    daemon "$1" ftps-reuse 127.0.1.22 ftps reuse || status=1
    return $status
}

case "${1:-}" in
start) ensure_certs && each start ;;
stop) each stop ;;
*) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
