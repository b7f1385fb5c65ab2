#!/usr/bin/env bash
# Web servers of today for the HTTP/1.0 web queries: one nginx with its own directory under
# $OVRA_TEST_TMP/https, pages under docroot:
#   127.0.0.222:8443 TLS, certificate for web.ovra.test from the authority the tests trust;
#                   /hops/x...x redirects to one x less, /hops/ answers; /elsewhere to nginx
#                   of http.sh with a port
#   127.0.0.8:8443  TLS, certificate for unknown.ovra.test from an unknown authority
#   127.0.0.171:8443 TLS, the same authority's for forged.ovra.test, whose subject holds
#                   CR LF, a line that imitates the fingerprint's, and a right-to-left override
#   127.0.0.172:8443 TLS, a certificate for revoked.ovra.test from the trusted authority, which
#                   its revocation list (plain 127.0.0.172:8080/ca.crl) names as revoked
#   127.0.0.173:8443 TLS, one for offline.ovra.test whose revocation list is on 127.0.0.174,
#                   where nothing listens
#   127.0.0.222:8080 plain: everything moved to https://web.ovra.test (the https service)
#   127.0.0.222:8081 plain, the pages as they are
#   https.sh start | stop
set -u
here=$(dirname "$0")
. "$here/certs.bash"
. "$here/nginx.bash"
dir="$OVRA_TEST_TMP/https"

start() {
    ensure_certs || return 1
    mkdir -p "$dir/docroot"
    printf 'web page\n' >"$dir/docroot/page.txt"
    nginx_start "$dir" "    absolute_redirect off;
    root $dir/docroot;
    server {
        listen 127.0.0.222:8443 ssl;
        ssl_certificate $CERTS/web.pem;
        ssl_certificate_key $CERTS/web.key;
        location ~ ^/hops/x(x*)\$ { return 302 ./\$1; }
        location = /hops/ { return 200 \"arrived\\n\"; }
        location = /elsewhere { return 303 http://127.0.0.4:8080/ovra.txt; }
    }
    server {
        listen 127.0.0.8:8443 ssl;
        ssl_certificate $CERTS/unknown.pem;
        ssl_certificate_key $CERTS/unknown.key;
    }
    server {
        listen 127.0.0.171:8443 ssl;
        ssl_certificate $CERTS/forged.pem;
        ssl_certificate_key $CERTS/forged.key;
    }
    server {
        listen 127.0.0.172:8443 ssl;
        ssl_certificate $CERTS/revoked.pem;
        ssl_certificate_key $CERTS/revoked.key;
    }
    server { listen 127.0.0.172:8080; root $CERTS; }
    server {
        listen 127.0.0.173:8443 ssl;
        ssl_certificate $CERTS/offline.pem;
        ssl_certificate_key $CERTS/offline.key;
    }
    server { listen 127.0.0.222:8080; return 301 https://web.ovra.test\$request_uri; }
    server { listen 127.0.0.222:8081; }" || return 1
    for _ in $(seq 50); do
        [ "$(curl -s --cacert "$CERTS/ca.pem" --resolve web.ovra.test:8443:127.0.0.222 \
            https://web.ovra.test:8443/page.txt)" = "web page" ] && return 0
        sleep 0.1
    done
    echo "nginx did not answer on 127.0.0.222:8443" >&2
    return 1
}

case "${1:-}" in
start) start ;;
stop) nginx_stop "$dir" ;;
*) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
