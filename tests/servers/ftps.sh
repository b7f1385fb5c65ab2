#!/usr/bin/env bash
# Secure FTP for the posting tests: two more proftpd daemons (tests/servers/ftp.sh with
# mod_tls and "TLSRequired on", so a plain login is refused), each with its own directory
# under $OVRA_TEST_TMP:
#   ftps        127.0.0.6  certificate for ftps.ovra.test from the authority the tests trust
#   ftps-unknown 127.0.0.8 certificate for unknown.ovra.test from an unknown authority
# Wine never resumes a TLS session, so the data connections may not be required to.
#   ftps.sh start | stop
set -u
here=$(dirname "$0")
. "$here/certs.bash"

tls_config() {  # CERTIFICATE-NAME
    cat <<CONF
ModulePath          /usr/lib/proftpd
LoadModule          mod_tls.c
TLSEngine           on
TLSRequired         on
TLSProtocol         TLSv1.2 TLSv1.3
TLSRSACertificateFile $CERTS/$1.pem
TLSRSACertificateKeyFile $CERTS/$1.key
TLSOptions          NoSessionReuseRequired
TLSLog              $OVRA_TEST_TMP/$2/tls.log
CONF
}

each() {  # ACTION: runs ftp.sh ACTION for both daemons
    local status=0
    OVRA_FTP_NAME=ftps OVRA_FTP_ADDRESS=127.0.0.6 OVRA_FTP_CONFIG=$(tls_config ftps ftps) \
        bash "$here/ftp.sh" "$1" || status=1
    OVRA_FTP_NAME=ftps-unknown OVRA_FTP_ADDRESS=127.0.0.8 \
        OVRA_FTP_CONFIG=$(tls_config unknown ftps-unknown) bash "$here/ftp.sh" "$1" || status=1
    return $status
}

case "${1:-}" in
start) ensure_certs && each start ;;
stop) each stop ;;
*) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
