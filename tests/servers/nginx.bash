# Sourced by the nginx servers' scripts: nginx with a configuration, pid file, logs and
# temp paths of its own under a directory. Started by root, its worker stays root too: the
# scratch directory is closed to other users.

nginx_start() {  # DIR HTTP-LINES [USER]: the lines (server blocks and the like) of the http
    # block, and the worker's user and group when it is not to stay root
    local dir=$1 user=
    mkdir -p "$dir/temp" "$dir/logs"
    [ "$(id -u)" = 0 ] && user="user ${3:-root};"
    cat >"$dir/nginx.conf" <<CONF
$user
worker_processes 1;
daemon on;
pid $dir/nginx.pid;
error_log $dir/logs/error.log;
events { worker_connections 64; }
http {
    access_log $dir/logs/access.log;
    client_body_temp_path $dir/temp/body;
    proxy_temp_path $dir/temp/proxy;
    fastcgi_temp_path $dir/temp/fastcgi;
    uwsgi_temp_path $dir/temp/uwsgi;
    scgi_temp_path $dir/temp/scgi;
    default_type text/plain;
$2
}
CONF
    /usr/sbin/nginx -p "$dir" -c "$dir/nginx.conf" -e "$dir/logs/error.log"
}

nginx_stop() {  # DIR
    [ -f "$1/nginx.pid" ] || return 0
    local pid
    pid=$(cat "$1/nginx.pid")
    kill "$pid" 2>/dev/null
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    rm -f "$1/nginx.pid"
}
