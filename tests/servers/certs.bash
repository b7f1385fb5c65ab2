# Sourced by the TLS servers' scripts and the demo: throw-away certificates, made once per
# run with openssl in $OVRA_TEST_TMP/certs, and proftpd's TLS lines. "ca" is the authority
# the tests and the demo make the Wine prefix trust; "unknown-ca" is one it never trusts.
# Server certificates name hosts only: Wine ignores IP addresses in subjectAltName.

CERTS="$OVRA_TEST_TMP/certs"

# make_cert NAME AUTHORITY HOST...: NAME.pem and NAME.key for the hosts, issued by AUTHORITY,
# with the subject $CERT_SUBJECT (UTF-8) or one that names the first host, and the revocation
# list $CERT_CRL (a URL) when set.
make_cert() {
    local name=$1 ca=$2 sans= host
    shift 2
    for host in "$@"; do sans="$sans${sans:+,}DNS:$host"; done
    # The list's line rides on the names' own.
    [ -n "${CERT_CRL:-}" ] && sans="$sans"$'\ncrlDistributionPoints=URI:'"$CERT_CRL"
    openssl req -new -newkey rsa:2048 -nodes -utf8 -subj "${CERT_SUBJECT:-/O=Ovra Test/CN=$1}" \
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
        make_cert ftps ca ftps.ovra.test vsftps.ovra.test localhost stock.ovra.test reuse.ovra.test umask.ovra.test implicit.ovra.test pure.ovra.test &&
        make_cert unknown unknown-ca unknown.ovra.test &&
        make_cert web ca web.ovra.test &&
        # A subject (64 characters at most) that tries to slip a fingerprint line of its own in,
        # then to reverse the text after it.
        CERT_SUBJECT=$'/O=Ovra Test/CN=forged.ovra.test\r\nSHA-256: '"$(printf '00:%.0s' $(seq 10))00"$'\xE2\x80\xAE' \
            make_cert forged unknown-ca forged.ovra.test &&
        CERT_CRL=http://127.0.0.172:8080/ca.crl make_cert revoked ca revoked.ovra.test &&
        CERT_CRL=http://127.0.0.174:8080/ca.crl make_cert offline ca offline.ovra.test &&
        revoke revoked &&
        make_cert renegotiate ca renegotiate.ovra.test &&
        touch "$CERTS/done"
}

# revoke NAME: the trusted authority's revocation list, DER in ca.crl, naming NAME.pem only.
revoke() {
    local db="$CERTS/ca-db"
    mkdir -p "$db" && : >"$db/index.txt" && echo 01 >"$db/crlnumber"
    cat >"$db/ca.cnf" <<CNF
[ca]
default_ca = test
[test]
database = $db/index.txt
crlnumber = $db/crlnumber
default_md = sha256
default_crl_days = 30
CNF
    openssl ca -config "$db/ca.cnf" -keyfile "$CERTS/ca.key" -cert "$CERTS/ca.pem" \
        -revoke "$CERTS/$1.pem" 2>/dev/null &&
        openssl ca -config "$db/ca.cnf" -keyfile "$CERTS/ca.key" -cert "$CERTS/ca.pem" \
            -gencrl -out "$db/ca.crl.pem" 2>/dev/null &&
        openssl crl -in "$db/ca.crl.pem" -outform der -out "$CERTS/ca.crl"
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
