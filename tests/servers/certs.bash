# Sourced by the TLS servers' scripts and the demo: throw-away certificates, made once per
# run with openssl in $OVRA_TEST_TMP/certs, and proftpd's TLS lines. "ca" is the authority
# the tests and the demo make the Wine prefix trust; "unknown-ca" is one it never trusts.
# Server certificates name hosts only: Wine ignores IP addresses in subjectAltName.

CERTS="$OVRA_TEST_TMP/certs"

# make_cert NAME AUTHORITY HOST...: NAME.pem and NAME.key for the hosts, issued by AUTHORITY.
make_cert() {
    local name=$1 ca=$2 sans= host
    shift 2
    for host in "$@"; do sans="$sans${sans:+,}DNS:$host"; done
    openssl req -new -newkey rsa:2048 -nodes -subj "/O=Ovra Test/CN=$1" \
        -keyout "$CERTS/$name.key" -out "$CERTS/$name.csr" 2>/dev/null &&
        openssl x509 -req -in "$CERTS/$name.csr" -CA "$CERTS/$ca.pem" -CAkey "$CERTS/$ca.key" \
            -CAcreateserial -days 30 -extfile <(printf 'subjectAltName=%s\nextendedKeyUsage=serverAuth\n' "$sans") \
            -out "$CERTS/$name.pem" 2>/dev/null
}

make_authority() {  # NAME COMMON-NAME
    openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/O=Ovra Test/CN=$2" \
        -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign \
        -keyout "$CERTS/$1.key" -out "$CERTS/$1.pem" 2>/dev/null &&
        openssl x509 -in "$CERTS/$1.pem" -outform der -out "$CERTS/$1.der"
}

ensure_certs() {
    [ -f "$CERTS/done" ] && return 0
    mkdir -p "$CERTS"
    make_authority ca "Ovra Test CA" && make_authority unknown-ca "Ovra Unknown CA" &&
        make_cert ftps ca ftps.ovra.test vsftps.ovra.test localhost stock.ovra.test reuse.ovra.test umask.ovra.test implicit.ovra.test &&
        make_cert unknown unknown-ca unknown.ovra.test &&
        make_cert web ca web.ovra.test &&
        touch "$CERTS/done"
}

# proftpd's lines for TLS required with a certificate made here: mod_tls, which Debian ships
# in proftpd-mod-crypto. Wine never resumes a TLS session, so data connections may not be
# required to (Windows would), unless a third argument says "reuse" (mod_tls's default).
proftpd_tls_config() {  # CERTIFICATE-NAME LOG-FILE [reuse]
    cat <<CONF
ModulePath          /usr/lib/proftpd
LoadModule          mod_tls.c
TLSEngine           on
TLSRequired         on
TLSProtocol         TLSv1.2 TLSv1.3
TLSRSACertificateFile $CERTS/$1.pem
TLSRSACertificateKeyFile $CERTS/$1.key
$([ "${3:-}" = reuse ] || echo "TLSOptions          NoSessionReuseRequired")
TLSLog              $2
CONF
}
