#!/usr/bin/env bash
# Secure FTP for the posting tests: two more proftpd daemons (tests/servers/ftp.sh with
# mod_tls and "TLSRequired on", so a plain login is refused), each with its own directory
# under $OVRA_TEST_TMP:
#   ftps        127.0.0.6  certificate for ftps.ovra.test from the authority the tests trust
#   ftps-unknown 127.0.0.8 certificate for unknown.ovra.test from an unknown authority
#   ftps.sh start | stop
set -u
here=$(dirname "$0")
. "$here/certs.bash"

daemon() {  # ACTION NAME ADDRESS CERTIFICATE
    OVRA_FTP_NAME=$2 OVRA_FTP_ADDRESS=$3 \
        OVRA_FTP_CONFIG=$(proftpd_tls_config "$4" "$OVRA_TEST_TMP/$2/tls.log") bash "$here/ftp.sh" "$1"
}

each() {  # ACTION: for both daemons
    daemon "$1" ftps 127.0.0.6 ftps
    local first=$?
    daemon "$1" ftps-unknown 127.0.0.8 unknown && return $first
}

case "${1:-}" in
start) ensure_certs && each start ;;
stop) each stop ;;
*) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
