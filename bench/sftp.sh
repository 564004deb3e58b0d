# Sourced by bench/run (never run alone): SFTP uploads, the whole headless Quillpost run against
# OpenSSH's own client (`sftp -b` with one `put`), the same sshd (unpacked as the tests unpack
# it, internal-sftp) and the same file, both logging in with one Ed25519 key and trusting the
# host by a known_hosts file: 256 MiB on loopback, and 64 MiB with 25 ms added each way (a
# network namespace of its own, bench/nfq_delay); on loopback also 16 MiB, past the upload's
# write window, for the memory baseline. Uses bench/run's helpers (measure, start_background, in_ns, make_served_root,
# write_settings, fail) and its variables (work, build, qp_dir, rounds, result, ftp_user).
# Defines sftp_measure (the runs), sftp_rows (the table) and sftp_goals.

sshd_bin=/usr/local/lib/quillpost-tests/openssh/usr/sbin/sshd
sftp_ns=""

# sshd's privilege separation user and folder, as Debian's package would make them.
ensure_sshd_user() {
  getent passwd sshd >/dev/null ||
    useradd --system --no-create-home --home-dir /run/sshd --shell /usr/sbin/nologin sshd
  mkdir -p /run/sshd
  chmod 755 /run/sshd
}

# start_sshd NAME ROOT PORT: sshd on 127.0.0.1:PORT (in NETNS when set) serving ROOT to
# $ftp_user by the client key alone; its host key line goes to $work/NAME.known_hosts.
start_sshd() {
  local name=$1 served=$2 port=$3
  local keys=$work/$name-keys
  mkdir -p "$keys"
  ssh-keygen -q -t ed25519 -N '' -C '' -f "$keys/host_ed25519"
  cat >"$work/$name.sshd_config" <<EOF
ListenAddress 127.0.0.1
Port $port
HostKey $keys/host_ed25519
PidFile $work/$name.sshd.pid
UsePAM no
PasswordAuthentication no
KbdInteractiveAuthentication no
PubkeyAuthentication yes
AuthorizedKeysFile $work/sftp-client.pub
StrictModes no
AllowUsers $ftp_user
LogLevel ERROR
Subsystem sftp internal-sftp -d $served
ForceCommand internal-sftp -d $served
EOF
  start_background "$work/$name.sshd.out" "$sshd_bin" -D -e -f "$work/$name.sshd_config"
  local i
  for i in $(seq 100); do
    if in_ns ssh-keyscan -t ed25519 -p "$port" 127.0.0.1 >"$work/$name.known_hosts" 2>/dev/null &&
      [ -s "$work/$name.known_hosts" ]; then
      return 0
    fi
    sleep 0.1
  done
  cat "$work/$name.sshd.out" >&2
  echo "bench/run: sshd did not come up on port $port" >&2
  exit 1
}

# sftp_upload CLIENT PORT LOCAL REMOTE SERVED KNOWN_HOSTS: one measured upload into SERVED/up
# by Quillpost or by OpenSSH's sftp, checked by SHA-256 and then removed.
sftp_upload() {
  local client=$1 port=$2 file=$3 remote=$4 served=$5 known=$6
  if [ "$client" = quillpost ]; then
    cp "$known" "$qp_dir/Quillpst.known_hosts"
    cp "$work/sftp-client" "$qp_dir/Quillpst.key"
    write_settings "$qp_dir" "sftp://127.0.0.1:$port" "$file" "$remote"
    measure env -u DISPLAY -u WAYLAND_DISPLAY "$qp_dir/Quillpost"
    rm -f "$qp_dir/Quillpst.known_hosts" "$qp_dir/Quillpst.key"
  else
    printf 'put %s up/%s\n' "$file" "$remote" >"$work/sftp.batch"
    measure sftp -q -b "$work/sftp.batch" -i "$work/sftp-client" -o BatchMode=yes \
      -o UserKnownHostsFile="$known" -o StrictHostKeyChecking=yes -P "$port" \
      "$ftp_user@127.0.0.1"
  fi
  if [ "$rc" -ne 0 ]; then
    fail "$client SFTP upload of $(basename "$file") ended with $rc: $(head -c 400 "$work/run.err")"
  elif [ "$(sha256sum <"$served/up/$remote" | cut -d' ' -f1)" != "$(cut -d' ' -f1 "$file.sha256")" ]; then
    fail "$client stored $remote over SFTP with another SHA-256 than $(basename "$file")"
  fi
  rm -f "$served/up/$remote"
}

# sftp_series TAG PORT SERVED KNOWN_HOSTS SIZE...: for each SIZE (MiB) a file of random bytes,
# one untimed upload by each client, then $rounds rounds alternating who goes first; wall time,
# CPU time and peak RSS go to result[CLIENT.wall|cpu|rss.TAGSIZE].
sftp_series() {
  local tag=$1 port=$2 served=$3 known=$4 size file r client order
  shift 4
  for size in "$@"; do
    file=$work/local/sftp-${size}M.bin
    head -c "$((size << 20))" /dev/urandom >"$file"
    sha256sum <"$file" >"$file.sha256"
    sync
    sftp_upload quillpost "$port" "$file" warm-q.bin "$served" "$known"
    sftp_upload sftp "$port" "$file" warm-s.bin "$served" "$known"
    for r in $(seq "$rounds"); do
      order=(quillpost sftp)
      if [ $((r % 2)) -eq 0 ]; then order=(sftp quillpost); fi
      for client in "${order[@]}"; do
        sftp_upload "$client" "$port" "$file" "$client-$tag$size-$r.bin" "$served" "$known"
        result[$client.wall.$tag$size]+=" $wall_ms"
        result[$client.cpu.$tag$size]+=" $cpu_ms"
        result[$client.rss.$tag$size]+=" $rss_kib"
      done
    done
    rm -f "$file"
  done
}

# start_sftp_namespace: a namespace of its own whose loopback packets nfq_delay holds 25 ms
# each way; NETNS names it from here on, and sftp_ping its round trip.
start_sftp_namespace() {
  sftp_ns=qp-bench-sftp-$$
  ip netns add "$sftp_ns"
  ip -n "$sftp_ns" link set lo up
  NETNS=$sftp_ns
  local queue=$(( ($$ % 1000) + 1100 ))
  start_background "$work/sftp-nfq.out" "$build/bench/nfq_delay" "$queue" 25
  for _ in $(seq 50); do grep -q ready "$work/sftp-nfq.out" && break; sleep 0.1; done
  grep -q ready "$work/sftp-nfq.out" || { cat "$work/sftp-nfq.out" >&2; fail "nfq_delay did not start"; exit 1; }
  in_ns iptables -A OUTPUT -o lo -j NFQUEUE --queue-num "$queue" --queue-bypass
  sftp_ping=$(in_ns ping -n -q -c 5 -i 0.2 127.0.0.1 | awk -F/ '/^rtt/ { print $5 }')
  if ! awk -v p="$sftp_ping" 'BEGIN { exit !(p >= 45 && p <= 80) }'; then
    fail "the SFTP namespace's round trip is ${sftp_ping} ms, not about 50 ms"
    exit 1
  fi
}

stop_sftp_namespace() {
  if [ -z "$sftp_ns" ]; then return 0; fi
  ip netns exec "$sftp_ns" iptables -F OUTPUT 2>/dev/null || true
  ip netns del "$sftp_ns" 2>/dev/null || true
  sftp_ns=""
}

sftp_measure() {
  echo "== SFTP uploads beside OpenSSH's sftp ($rounds rounds)" >&2
  ensure_sshd_user
  mkdir -p "$work/local"
  ssh-keygen -q -t ed25519 -N '' -C bench -f "$work/sftp-client"
  chmod 644 "$work/sftp-client.pub"
  local served=$work/sftp-root port
  make_served_root "$served"
  port=$(free_port)
  start_sshd sftp "$served" "$port"
  sftp_series sftp "$port" "$served" "$work/sftp.known_hosts" 16 256
  start_sftp_namespace
  local ns_served=$work/sftp-ns-root
  make_served_root "$ns_served"
  start_sshd sftp-ns "$ns_served" 2222
  sftp_series sftplat 2222 "$ns_served" "$work/sftp-ns.known_hosts" 64
  NETNS=""
}

# sftp_rows: the SFTP part of the table.
sftp_rows() {
  local tag size q s label
  printf '%-34s %14s %14s %8s\n' "SFTP measurement" "Quillpost" "OpenSSH sftp" "ratio"
  for tag in sftp sftplat; do
    size=256 label="loopback"
    if [ "$tag" = sftplat ]; then size=64 label="+25 ms each way"; fi
    q=$(med "quillpost.wall.$tag$size"); s=$(med "sftp.wall.$tag$size")
    printf '%-34s %11s ms %11s ms %8s\n' "SFTP $size MiB, $label" "$q" "$s" "$(ratio "$q" "$s")"
    printf '%-34s %11s ms %11s ms\n' "  CPU time (user + system)" \
      "$(med "quillpost.cpu.$tag$size")" "$(med "sftp.cpu.$tag$size")"
    printf '%-34s %9s MiB/s %9s MiB/s\n' "  throughput" \
      "$(awk -v m="$size" -v t="$q" 'BEGIN { printf "%.0f", m / (t / 1000) }')" \
      "$(awk -v m="$size" -v t="$s" 'BEGIN { printf "%.0f", m / (t / 1000) }')"
    if [ "$tag" = sftp ]; then
      printf '%-34s %10s KiB %10s KiB\n' "  peak RSS, 16 MiB upload" \
        "$(med "quillpost.rss.sftp16")" "$(med "sftp.rss.sftp16")"
    fi
    printf '%-34s %10s KiB %10s KiB\n' "  peak RSS, $size MiB upload" \
      "$(med "quillpost.rss.$tag$size")" "$(med "sftp.rss.$tag$size")"
  done
  echo "Round trip in the SFTP namespace (ping): ${sftp_ping:-?} ms."
}

sftp_goals() {
  local tag size q s q1
  for tag in sftp sftplat; do
    size=256
    if [ "$tag" = sftplat ]; then size=64; fi
    q=$(med "quillpost.wall.$tag$size"); s=$(med "sftp.wall.$tag$size")
    goal "Quillpost over SFTP at most OpenSSH's sftp's time, $size MiB $tag (ratio $(ratio "$q" "$s") <= 1.00)" \
      "$q <= $s"
  done
  q1=$(med quillpost.rss.sftp16); q=$(med quillpost.rss.sftp256)
  goal "Quillpost's peak RSS over SFTP for 256 MiB within 2 MiB of 16 MiB's ($q - $q1 KiB)" \
    "($q - $q1) <= 2048"
}
