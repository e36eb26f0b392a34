#!/usr/bin/env bash
# Rolls an update out to three tills with deploy/ansible/rollout.yml and takes it back with
# rollback.yml. Each till is a network namespace with its own sshd on its own address; the
# controller is a fourth namespace holding the bridge the tills' veths hang on, and ansible-playbook
# runs there. Nothing is added to the host's own network namespace. The file system is shared: each
# till has its own program folder and settings root under one temporary folder.
# Needs root (namespaces, sshd) and a built tree: tests/fleet/fleet-test.sh [BUILD_DIR]
set -euo pipefail

repo=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-build}
[[ "$build" = /* ]] || build="$repo/$build"
updatectl="$build/bin/tallyrune-updatectl"
mkpe="$build/bin/mkpe"

if [[ $(id -u) -ne 0 ]]; then
    echo "fleet-test: needs root (network namespaces and sshd); run it as root, e.g. sudo make fleet-test" >&2
    exit 1
fi
for tool in ip /usr/sbin/sshd ssh ssh-keygen ansible-playbook timeout "$updatectl" "$mkpe"; do
    command -v "$tool" >/dev/null || { echo "fleet-test: $tool is missing (make deps, make build)" >&2; exit 1; }
done

# Names carry the process id, so two runs on one machine do not meet.
tag="trf$$"
ctl="$tag-ctl"
tills=(till1 till2 till3)
work=$(mktemp -d /tmp/fleet-test.XXXXXX)
made_run_sshd=0

cleanup() {
    local status=$?
    trap - EXIT INT TERM
    local ns
    for ns in "$ctl" "${tills[@]/#/$tag-}"; do
        [[ -e "/run/netns/$ns" ]] || continue
        # Only what runs inside our own namespaces: the sshds and the ssh masters.
        ip netns pids "$ns" 2>/dev/null | xargs -r kill 2>/dev/null || true
    done
    sleep 0.2
    for ns in "$ctl" "${tills[@]/#/$tag-}"; do
        [[ -e "/run/netns/$ns" ]] || continue
        ip netns pids "$ns" 2>/dev/null | xargs -r kill -9 2>/dev/null || true
        ip netns del "$ns" 2>/dev/null || true
    done
    rm -rf "$work"
    [[ $made_run_sshd -eq 1 ]] && rmdir /run/sshd 2>/dev/null
    if ip netns list | grep -q "^$tag-"; then
        echo "fleet-test: namespaces left behind: $(ip netns list | grep "^$tag-" | tr '\n' ' ')" >&2
        status=1
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

fail() { echo "FAIL: $*" >&2; exit 1; }
step() { echo "== [${SECONDS} s] $*"; }

# A private /24 that the host does not route already.
net=""
for n in $(seq 213 250); do
    ip -o route | grep -q "10\.213\.$n\." || { net="10.213.$n"; break; }
done
[[ -n "$net" ]] || fail "no free 10.213.x.0/24"

step "network: controller $ctl with a bridge, tills on $net.0/24"
ip netns add "$ctl"
ip -n "$ctl" link set lo up
ip -n "$ctl" link add br0 type bridge
ip -n "$ctl" addr add "$net.1/24" dev br0
ip -n "$ctl" link set br0 up

ssh-keygen -q -t ed25519 -N '' -C fleet-test -f "$work/client_key"
cp "$work/client_key.pub" "$work/authorized_keys"
: > "$work/known_hosts"
[[ -d /run/sshd ]] || { mkdir -p /run/sshd; made_run_sshd=1; }

declare -A addr
i=0
for t in "${tills[@]}"; do
    i=$((i + 1))
    ns="$tag-$t"
    addr[$t]="$net.$((10 + i))"
    d="$work/$t"
    mkdir -p "$d/program" "$d/root"
    ip netns add "$ns"
    ip -n "$ns" link set lo up
    ip -n "$ctl" link add "v$i" type veth peer name eth0 netns "$ns"
    ip -n "$ctl" link set "v$i" master br0 up
    ip -n "$ns" addr add "${addr[$t]}/24" dev eth0
    ip -n "$ns" link set eth0 up

    ssh-keygen -q -t ed25519 -N '' -C "$t" -f "$d/host_key"
    echo "${addr[$t]} $(cut -d' ' -f1,2 "$d/host_key.pub")" >> "$work/known_hosts"
    cat > "$d/sshd_config" <<EOF
ListenAddress ${addr[$t]}:22
HostKey $d/host_key
PidFile $d/sshd.pid
AuthorizedKeysFile $work/authorized_keys
PermitRootLogin prohibit-password
PubkeyAuthentication yes
PasswordAuthentication no
KbdInteractiveAuthentication no
UsePAM no
StrictModes no
Subsystem sftp /usr/lib/openssh/sftp-server
LogLevel ERROR
EOF
    ip netns exec "$ns" /usr/sbin/sshd -D -f "$d/sshd_config" -E "$d/sshd.log" &

    # The installed program: an older Tallyrune.exe and the shop's own data.
    "$mkpe" "$d/program/Tallyrune.exe" --file-version 1.4.2.310 \
        --string "ProductName=Tallyrune POS" --string "FileVersion=1.4.2.310"
    printf 'takings of %s\n' "$t" > "$d/program/Takings.dat"
done

# The update on the controller.
src="$work/update"
mkdir -p "$src/Reports"
"$mkpe" "$src/Tallyrune.exe" --file-version 1.5.0.12 \
    --string "ProductName=Tallyrune POS" --string "FileVersion=1.5.0.12"
printf 'Tallyrune 1.5 release notes\r\n' > "$src/ReadMe.txt"
printf 'Daily takings report layout\r\n' > "$src/Reports/Daily.rpt"

# Ansible sees only what is made here: its own configuration, home, temporary folders, ssh
# options and known hosts; nothing of ~/.ansible, /etc/ansible, ~/.ssh or /etc/ssh/ssh_config.
mkdir -p "$work/ansible-home" "$work/ansible-local" "$work/ansible-remote" "$work/cp"
cat > "$work/ansible.cfg" <<EOF
[defaults]
home = $work/ansible-home
local_tmp = $work/ansible-local
remote_tmp = $work/ansible-remote
collections_path = $work/ansible-home/collections
roles_path = $work/ansible-home/roles
host_key_checking = True
retry_files_enabled = False
interpreter_python = /usr/bin/python3
timeout = 10
forks = 5
nocolor = True

[ssh_connection]
control_path_dir = $work/cp
pipelining = True
ssh_args = -F /dev/null -o ControlMaster=auto -o ControlPersist=60s -o BatchMode=yes -o IdentitiesOnly=yes -o StrictHostKeyChecking=yes -o UserKnownHostsFile=$work/known_hosts -o GlobalKnownHostsFile=/dev/null
EOF
unset "${!ANSIBLE_@}"
export ANSIBLE_CONFIG="$work/ansible.cfg" ANSIBLE_HOME="$work/ansible-home"

inventory() { # the tills in the order given
    echo "[tills]"
    local t
    for t in "$@"; do
        echo "$t ansible_host=${addr[$t]} program_folder=$work/$t/program wincompat_root=$work/$t/root"
    done
    cat <<EOF

[tills:vars]
ansible_user=root
ansible_ssh_private_key_file=$work/client_key
updatectl=$updatectl
EOF
}
inventory "${tills[@]}" > "$work/inventory"
inventory till2 till1 till3 > "$work/inventory-till2-first"

step "waiting for the tills' sshd"
for t in "${tills[@]}"; do
    for _ in $(seq 1 50); do
        timeout 5 ip netns exec "$ctl" ssh -F /dev/null -o BatchMode=yes -o IdentitiesOnly=yes \
            -o StrictHostKeyChecking=yes -o UserKnownHostsFile="$work/known_hosts" \
            -o GlobalKnownHostsFile=/dev/null -o ConnectTimeout=2 -i "$work/client_key" \
            "root@${addr[$t]}" true 2>/dev/null && continue 2
        sleep 0.1
    done
    cat "$work/$t/sshd.log" >&2 || true
    fail "$t: sshd does not answer on ${addr[$t]}"
done

play() { # PLAYBOOK INVENTORY ARGS...: ansible-playbook in the controller namespace, output kept
    local book=$1 inv=$2 out
    shift 2
    out="$work/last-run.txt"
    local rc=0
    # In the background so that a signal reaches the trap at once; the trap ends the playbook,
    # which runs inside the controller namespace.
    timeout -k 5 240 ip netns exec "$ctl" ansible-playbook -i "$inv" "$repo/deploy/ansible/$book" "$@" \
        > "$out" 2>&1 &
    wait $! || rc=$?
    cat "$out"
    return "$rc"
}
# Fingerprint of a program folder: every path with its type, mode and (for files) checksum and time.
fingerprint() {
    (cd "$1" && find . -printf '%p %y %m %s\n' | sort && find . -type f -printf '%p %T@\n' | sort \
        && find . -type f -print0 | sort -z | xargs -0 -r sha256sum)
}
version_of() {
    WINCOMPAT_ROOT="$work/$1/root" "$updatectl" versions --json --program-folder "$work/$1/program" \
        | python3 -c 'import json,sys; print(json.load(sys.stdin)["current"]["File Version"])'
}
# check_report FILE PYTHON-EXPRESSION over r, the list of objects, indexed by name in t
check_report() {
    python3 - "$1" "$2" <<'EOF' || fail "report $1 does not hold: $2"
import json, sys
r = json.load(open(sys.argv[1]))
t = {o["name"]: o for o in r}
ok = eval("(" + sys.argv[2] + ")")
if not ok:
    print(json.dumps(r, indent=2), file=sys.stderr)
sys.exit(0 if ok else 1)
EOF
}
changed_on() { # TILL: how many tasks of the last run changed something on the till itself
    grep -c "^changed: \[$1\]" "$work/last-run.txt" || true
}

step "case 1: all three tills updated and reported"
report="$work/report-1.json"
play rollout.yml "$work/inventory" -e "update_source=$src" -e "report=$report" \
    || fail "rollout to three good tills failed"
check_report "$report" 'len(r) == 3 and all(o["outcome"] == "updated" and o["exit_status"] == 0
    and o["version_before"] == "1.4.2.310" and o["version_after"] == "1.5.0.12"
    and o["files_replaced"] == 1 and o["files_added"] == 2 and o["error"] is None for o in r)'
grep -q "till1 | updated | 1.4.2.310 | 1.5.0.12" "$work/last-run.txt" || fail "no summary table"
for t in "${tills[@]}"; do
    [[ $(version_of "$t") == 1.5.0.12 ]] || fail "$t: not at 1.5.0.12 after the rollout"
    [[ $(changed_on "$t") -ge 2 ]] || fail "$t: the update is not reported as a change"
done

step "case 1: a second rollout finds nothing to do"
for t in "${tills[@]}"; do fingerprint "$work/$t/program" > "$work/$t.before"; done
report="$work/report-1b.json"
play rollout.yml "$work/inventory" -e "update_source=$src" -e "report=$report" \
    || fail "the second rollout failed"
check_report "$report" 'len(r) == 3 and all(o["outcome"] == "not-needed" and o["exit_status"] == 3
    and o["version_after"] == "1.5.0.12" and o["error"] is None for o in r)'
for t in "${tills[@]}"; do
    [[ $(changed_on "$t") == 0 ]] || fail "$t: the second rollout changed something"
    fingerprint "$work/$t/program" | diff "$work/$t.before" - || fail "$t: program folder changed"
done

step "case 4: rollback takes every till back to the old version"
report="$work/report-4.json"
play rollback.yml "$work/inventory" -e "report=$report" || fail "the rollback failed"
check_report "$report" 'len(r) == 3 and all(o["outcome"] == "rolled-back" and o["exit_status"] == 0
    and o["version_before"] == "1.5.0.12" and o["version_after"] == "1.4.2.310" for o in r)'
for t in "${tills[@]}"; do
    [[ $(version_of "$t") == 1.4.2.310 ]] || fail "$t: not back at 1.4.2.310"
done

# till2's update folder holds a FIFO: the companion refuses to open it, fails the whole update
# and leaves the program folder as it was. The copy from the controller leaves it in place.
mkfifo "$work/till2/program/Update/Pipe"

step "case 3: serial=1, max_fail_percentage=0, broken till first: the other batches do not run"
for t in "${tills[@]}"; do fingerprint "$work/$t/program" > "$work/$t.before"; done
report="$work/report-3.json"
if play rollout.yml "$work/inventory-till2-first" -e "update_source=$src" -e "report=$report" \
        -e serial=1 -e max_fail_percentage=0; then
    fail "a rollout stopped by its first till succeeded"
fi
check_report "$report" '[o["name"] for o in r] == ["till2", "till1", "till3"]
    and t["till2"]["outcome"] == "failed"
    and t["till1"]["outcome"] == "not-run" and t["till3"]["outcome"] == "not-run"'
grep -q "till1 | not-run" "$work/last-run.txt" || fail "no summary table after the stopped rollout"
for t in "${tills[@]}"; do
    fingerprint "$work/$t/program" | diff "$work/$t.before" - || fail "$t: program folder changed"
    [[ $(version_of "$t") == 1.4.2.310 ]] || fail "$t: not left at 1.4.2.310"
done

step "case 2: a till whose update cannot be read fails, is reported and is left as it was"
report="$work/report-2.json"
if play rollout.yml "$work/inventory" -e "update_source=$src" -e "report=$report"; then
    fail "a rollout with a broken till succeeded"
fi
check_report "$report" 'len(r) == 3 and t["till2"]["outcome"] == "failed" and t["till2"]["exit_status"] == 1
    and "Pipe" in t["till2"]["error"] and "device, pipe or socket" in t["till2"]["error"]
    and t["till2"]["version_after"] == "1.4.2.310"
    and t["till1"]["outcome"] == "updated" and t["till3"]["outcome"] == "updated"'
grep -q "fatal: \[till2\].*device, pipe or socket" "$work/last-run.txt" || fail "till2's error is not shown"
fingerprint "$work/till2/program" | diff "$work/till2.before" - || fail "till2's program folder changed"

step "a rollback leaves the till with nothing to take back alone"
report="$work/report-5.json"
play rollback.yml "$work/inventory" -e "report=$report" || fail "a rollback with nothing to take back on till2 failed"
check_report "$report" 't["till2"]["outcome"] == "nothing" and t["till2"]["error"] is None
    and t["till1"]["outcome"] == "rolled-back" and t["till3"]["outcome"] == "rolled-back"'
fingerprint "$work/till2/program" | diff "$work/till2.before" - || fail "till2's program folder changed"

echo "fleet-test: all cases passed in ${SECONDS} s"
