# A throwaway FTP server for the scripts that show Quillpost working (scripts/demo,
# scripts/fresh-check), sourced by them: pyftpdlib on 127.0.0.1, a port the system picks.
# Needs $root (the repository) set by the caller.

# start_demo_server FOLDER USER PASSWORD WORK: serves FOLDER to USER with PASSWORD, its port
# file, log and command log in WORK; sets server_pid and port, or fails saying why.
start_demo_server() {
  local folder=$1 user=$2 password=$3 work=$4
  /usr/bin/python3 -u "$root/tests/support/common/pyftpd_server.py" --host 127.0.0.1 \
    --root "$folder" --user "$user" --password "$password" \
    --command-log "$work/commands.log" >"$work/port" 2>"$work/server.err" &
  server_pid=$!
  for _ in $(seq 100); do
    [ -s "$work/port" ] && break
    kill -0 "$server_pid" 2>/dev/null || { cat "$work/server.err" >&2; return 1; }
    sleep 0.1
  done
  port=$(head -n1 "$work/port")
  [ -n "$port" ] || { echo "the FTP server did not start" >&2; return 1; }
}

# stop_demo_server: stops the server start_demo_server started, by its PID.
stop_demo_server() {
  if [ -n "${server_pid:-}" ]; then
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
    server_pid=""
  fi
}
