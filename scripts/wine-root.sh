#!/bin/bash
# The Debian 13 root in which Wine 10 runs the 32-bit notepad.exe in its WoW64
# mode: a 64-bit Wine with the 32-bit Windows-side DLLs beside it, and no
# 32-bit Linux code (the kernels here run none). Debian 12 has no such Wine,
# and Debian 13's needs its newer glibc, so every host enters this root.
# Where the kernel runs no 32-bit code at all, the same root boots as a virtual
# machine instead (QEMU's software CPU), with the checkout shared into it.
# Source this file, then:
#   quillgate_root_ensure        - make the root once; make it again when it is
#                                  missing or its recipe has changed (and, for
#                                  the virtual machine, its kernel and image)
#   quillgate_in_root DIR CMD... - run CMD in the root, with DIR (the checkout)
#                                  at its own path and QUILLGATE_IN_ROOT=1 set:
#                                  through chroot in a private mount namespace,
#                                  or in the virtual machine; nothing outlives
#                                  the run
# QUILLGATE_WINE_WAY=direct or =vm forces one way; otherwise a probe decides.
# The root lives outside the checkout and is shared by every checkout here.

QUILLGATE_CACHE=/var/cache/quillgate
QUILLGATE_ROOT=$QUILLGATE_CACHE/debian13-root

# What goes into the root; a change here makes the root again.
quillgate_root_recipe() {
    echo "debootstrap --variant=minbase trixie (its default mirror)"
    echo "packages: wine wine64 libwine fonts-wine cmake python3 locales fonts-ipafont-gothic"
    echo "          xvfb xauth x11-utils imagemagick"
    echo "i386-windows from libwine:i386 of the same version"
    echo "locales: ja_JP.UTF-8 en_US.UTF-8"
}

quillgate_root_stamp() {
    quillgate_root_recipe | sha256sum | cut -d' ' -f1
}

quillgate_root_ready() {
    [ "$(cat "$QUILLGATE_ROOT/.quillgate-recipe" 2>/dev/null)" = "$(quillgate_root_stamp)" ] &&
        [ -x "$QUILLGATE_ROOT/usr/lib/wine/wine64" ] &&
        [ -f "$QUILLGATE_ROOT/usr/lib/x86_64-linux-gnu/wine/i386-windows/kernel32.dll" ]
}

# Runs CMD inside root $1 with the folders in $2 (separated by colons) bound at
# their own paths. The mounts are made in a mount namespace of this run alone
# and unmounted before it ends.
quillgate_chroot() {
    local root="$1" binds="$2"
    shift 2
    unshare -m --propagation private -- /bin/bash -c '
        set -u
        root=$1 binds=$2
        shift 2
        mounted=()
        cleanup() {
            local i
            for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
                umount -l "${mounted[i]}" 2>/dev/null || true
            done
        }
        trap cleanup EXIT
        mkdir -p "$root/proc" "$root/dev" "$root/tmp"
        mount -t proc proc "$root/proc" && mounted+=("$root/proc") || exit 1
        mount --rbind /dev "$root/dev" && mounted+=("$root/dev") || exit 1
        IFS=: read -ra folders <<<"$binds"
        for folder in "${folders[@]}"; do
            mkdir -p "$root$folder"
            mount --bind "$folder" "$root$folder" && mounted+=("$root$folder") || exit 1
        done
        # A display of the host, where there is one, is reachable from inside.
        if [ -n "${DISPLAY:-}" ] && [ -d /tmp/.X11-unix ]; then
            mkdir -p "$root/tmp/.X11-unix"
            mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix" &&
                mounted+=("$root/tmp/.X11-unix") || exit 1
        fi
        cp -L /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
        chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
            TERM="${TERM:-dumb}" "$@"
    ' quillgate-root "$root" "$binds" "$@"
}

quillgate_in_root() {
    local checkout="$1"
    shift
    quillgate_way || return 1
    quillgate_way_tell
    # Only the variables a run needs cross into the root.
    local -a vars=(QUILLGATE_IN_ROOT=1 "QUILLGATE_WAY=$QUILLGATE_WAY")
    local name
    for name in LANG LC_ALL DISPLAY QUILLGATE_LOCALE BUILD_DIR GTEST_FILTER; do
        # The virtual machine has no way to the host's display.
        [ "$name" = DISPLAY ] && [ "$QUILLGATE_WAY" = vm ] && continue
        [ -n "${!name:-}" ] && vars+=("$name=${!name}")
    done
    if [ "$QUILLGATE_WAY" = vm ]; then
        vars+=("QUILLGATE_TIME_SCALE=$QUILLGATE_VM_TIME_SCALE")
        quillgate_vm_run "$checkout" /usr/bin/env -C "$checkout" "${vars[@]}" "$@"
    else
        quillgate_chroot "$QUILLGATE_ROOT" "$checkout" /usr/bin/env -C "$checkout" "${vars[@]}" \
            "$@"
    fi
}

quillgate_root_make() {
    local fresh="$QUILLGATE_CACHE/debian13-root.new"
    echo "making the Debian 13 root for Wine in $QUILLGATE_ROOT (a few minutes, once)"
    quillgate_root_remove "$fresh" || return 1
    debootstrap --variant=minbase trixie "$fresh" \
        >"$QUILLGATE_CACHE/debootstrap.log" 2>&1 || {
        tail -20 "$QUILLGATE_CACHE/debootstrap.log" >&2
        return 1
    }
    quillgate_chroot "$fresh" "" /bin/bash -euc '
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -q
        apt-get install -y -q --no-install-recommends wine wine64 libwine fonts-wine \
            cmake python3 locales fonts-ipafont-gothic xvfb xauth x11-utils imagemagick
        sed -i -e "s/^# *\(ja_JP.UTF-8 UTF-8\)/\1/" -e "s/^# *\(en_US.UTF-8 UTF-8\)/\1/" \
            /etc/locale.gen
        locale-gen
        # The 32-bit Windows-side DLLs, taken out of the i386 package, which
        # would bring 32-bit Linux libraries if it were installed.
        dpkg --add-architecture i386
        apt-get update -q
        version=$(dpkg-query -W -f="\${Version}" libwine)
        mkdir -p /tmp/libwine-i386
        cd /tmp/libwine-i386
        apt-get download "libwine:i386=$version"
        dpkg-deb -x libwine_*_i386.deb extracted
        cp -a extracted/usr/lib/i386-linux-gnu/wine/i386-windows/. \
            /usr/lib/x86_64-linux-gnu/wine/i386-windows/
        cd /
        rm -rf /tmp/libwine-i386
        apt-get clean
    ' >"$QUILLGATE_CACHE/root-setup.log" 2>&1 || {
        tail -20 "$QUILLGATE_CACHE/root-setup.log" >&2
        return 1
    }
    quillgate_root_stamp >"$fresh/.quillgate-recipe"
    quillgate_root_remove "$QUILLGATE_ROOT" || return 1
    mv "$fresh" "$QUILLGATE_ROOT"
}

# Deletes a root of ours, never through a mount that is still in place.
quillgate_root_remove() {
    local dir="$1"
    case "$dir" in
        "$QUILLGATE_CACHE"/debian13-root*) ;;
        *) echo "refusing to delete $dir" >&2; return 1 ;;
    esac
    [ -e "$dir" ] || return 0
    if findmnt -rn -o TARGET | grep -q "^$dir\(/\|$\)"; then
        echo "$dir still has mounts; not deleting it" >&2
        return 1
    fi
    rm -rf --one-file-system "$dir"
}

quillgate_root_ensure() {
    mkdir -p "$QUILLGATE_CACHE"
    quillgate_way || return 1
    (
        # One maker at a time; the others wait and then find it ready.
        flock 9
        quillgate_root_ready || quillgate_root_make || exit 1
        if [ "$QUILLGATE_WAY" = vm ]; then
            quillgate_vm_ready || quillgate_vm_make || exit 1
        fi
    ) 9>"$QUILLGATE_CACHE/lock"
}

# --- Which way Wine runs -----------------------------------------------------

QUILLGATE_SCRIPTS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
QUILLGATE_PROBE=$QUILLGATE_CACHE/runs-32bit-code

# Builds (once per version of its source) and runs the probe that tries to run
# 32-bit code; its exit status is the answer.
quillgate_probe_32bit() {
    local source="$QUILLGATE_SCRIPTS/runs-32bit-code.c" stamp
    stamp=$(sha256sum <"$source" | cut -d' ' -f1)
    if [ "$(cat "$QUILLGATE_PROBE.stamp" 2>/dev/null)" != "$stamp" ] || [ ! -x "$QUILLGATE_PROBE" ]
    then
        mkdir -p "$QUILLGATE_CACHE"
        local fresh
        fresh=$(mktemp "$QUILLGATE_PROBE.XXXXXX") || return 2
        if ! clang -O1 -no-pie -o "$fresh" "$source"; then
            rm -f "$fresh"
            return 2
        fi
        mv "$fresh" "$QUILLGATE_PROBE"
        echo "$stamp" >"$QUILLGATE_PROBE.stamp"
    fi
    "$QUILLGATE_PROBE"
}

# Sets QUILLGATE_WAY to "direct" (chroot) or "vm", and QUILLGATE_WAY_WHY.
quillgate_way() {
    [ -n "${QUILLGATE_WAY:-}" ] && return 0
    case "${QUILLGATE_WINE_WAY:-}" in
        direct | vm)
            QUILLGATE_WAY=$QUILLGATE_WINE_WAY
            QUILLGATE_WAY_WHY="QUILLGATE_WINE_WAY=$QUILLGATE_WINE_WAY asks for it"
            ;;
        "")
            local answer=0
            quillgate_probe_32bit || answer=$?
            case $answer in
                0)
                    QUILLGATE_WAY=direct
                    QUILLGATE_WAY_WHY="this kernel runs 32-bit code"
                    ;;
                1)
                    QUILLGATE_WAY=vm
                    QUILLGATE_WAY_WHY="this kernel runs no 32-bit code, which Wine's WoW64 mode needs"
                    ;;
                *)
                    echo "!! the probe for 32-bit code could not be built" >&2
                    return 1
                    ;;
            esac
            ;;
        *)
            echo "!! QUILLGATE_WINE_WAY is direct, vm or unset, not '$QUILLGATE_WINE_WAY'" >&2
            return 1
            ;;
    esac
}

# Says once, on the first run into the root, which way it goes and why.
quillgate_way_tell() {
    [ -n "${QUILLGATE_WAY_TOLD:-}" ] && return 0
    QUILLGATE_WAY_TOLD=1
    if [ "$QUILLGATE_WAY" = vm ]; then
        echo "Wine runs in a virtual machine of the Debian 13 root: $QUILLGATE_WAY_WHY"
    else
        echo "Wine runs directly in the Debian 13 root (chroot): $QUILLGATE_WAY_WHY"
    fi
}

# --- The virtual machine -----------------------------------------------------

QUILLGATE_VM=$QUILLGATE_CACHE/vm
QUILLGATE_VM_IMAGE=$QUILLGATE_VM/debian13-root.img
# Wait limits of the tests are multiplied by this in the virtual machine,
# whose software CPU runs a program about ten times slower.
QUILLGATE_VM_TIME_SCALE=10
# The software CPU: it runs 32-bit code whatever the host's kernel allows.
QUILLGATE_VM_ACCEL=(-accel tcg,thread=multi -cpu max)
QUILLGATE_VM_KERNEL_ARGS="root=/dev/vda rw console=ttyS0 quiet loglevel=3 panic=1 fsck.mode=skip"
QUILLGATE_VM_KERNEL_ARGS+=" init=/usr/local/sbin/quillgate-vm-init"

# What the virtual machine adds to the root; a change here makes its disk
# image (and this layer of the root) again.
quillgate_vm_recipe() {
    echo "root $(quillgate_root_stamp)"
    echo "packages: linux-image-amd64 qemu-system-x86 kmod initramfs-tools"
    echo "init $(sha256sum <"$QUILLGATE_SCRIPTS/vm-init.sh" | cut -d' ' -f1)"
    echo "image: mke2fs -t ext4 -d ROOT, 8G"
}

quillgate_vm_stamp() {
    quillgate_vm_recipe | sha256sum | cut -d' ' -f1
}

quillgate_vm_ready() {
    [ "$(cat "$QUILLGATE_VM_IMAGE.recipe" 2>/dev/null)" = "$(quillgate_vm_stamp)" ] &&
        [ -f "$QUILLGATE_VM_IMAGE" ]
}

quillgate_vm_make() {
    echo "adding a kernel and QEMU to the Debian 13 root, and making its disk image (once)"
    mkdir -p "$QUILLGATE_VM"
    rm -f "$QUILLGATE_VM_IMAGE" "$QUILLGATE_VM_IMAGE.recipe"
    quillgate_chroot "$QUILLGATE_ROOT" "" /bin/bash -euc '
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -q
        apt-get install -y -q --no-install-recommends linux-image-amd64 qemu-system-x86 kmod \
            initramfs-tools
        apt-get clean
    ' >"$QUILLGATE_VM/setup.log" 2>&1 || {
        tail -20 "$QUILLGATE_VM/setup.log" >&2
        return 1
    }
    install -m 755 "$QUILLGATE_SCRIPTS/vm-init.sh" "$QUILLGATE_ROOT/usr/local/sbin/quillgate-vm-init"
    local fresh="$QUILLGATE_VM_IMAGE.new"
    rm -f "$fresh"
    mke2fs -q -t ext4 -E root_owner=0:0 -d "$QUILLGATE_ROOT" "$fresh" 8G \
        >>"$QUILLGATE_VM/setup.log" 2>&1 || {
        rm -f "$fresh"
        tail -20 "$QUILLGATE_VM/setup.log" >&2
        return 1
    }
    mv "$fresh" "$QUILLGATE_VM_IMAGE"
    quillgate_vm_stamp >"$QUILLGATE_VM_IMAGE.recipe"
}

# Boots the root as a virtual machine that runs CMD with checkout $1 shared at
# its own path, its output on this terminal; returns CMD's exit status. QEMU
# itself is Debian 13's, run in the root. The disk image is used as a snapshot,
# so a run leaves it as it was.
quillgate_vm_run() {
    local checkout="$1"
    shift
    local run
    # What an interrupted run left behind; a day old, so no run still uses it.
    find "$QUILLGATE_VM" -maxdepth 1 -name 'run.*' -mmin +1440 -exec rm -rf {} + 2>/dev/null
    run=$(mktemp -d "$QUILLGATE_VM/run.XXXXXX") || return 1
    echo "$checkout" >"$run/checkout"
    {
        echo "mkdir -p /root"
        printf 'exec /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root TERM=dumb'
        printf ' %q' "$@"
        echo
    } >"$run/command"
    local kernel initrd
    kernel=$(cd "$QUILLGATE_ROOT" && ls boot/vmlinuz-* | sort -V | tail -1)
    initrd=$(cd "$QUILLGATE_ROOT" && ls boot/initrd.img-* | sort -V | tail -1)
    quillgate_chroot "$QUILLGATE_ROOT" "$checkout:$QUILLGATE_VM" \
        qemu-system-x86_64 "${QUILLGATE_VM_ACCEL[@]}" -smp "$(nproc)" -m 4096 \
        -display none -no-reboot -nic none \
        -kernel "/$kernel" -initrd "/$initrd" \
        -append "$QUILLGATE_VM_KERNEL_ARGS" \
        -drive "file=$QUILLGATE_VM_IMAGE,if=virtio,format=raw,snapshot=on" \
        -virtfs "local,path=$run,mount_tag=run,security_model=passthrough,id=run" \
        -virtfs "local,path=$checkout,mount_tag=checkout,security_model=passthrough,id=checkout,multidevs=remap" \
        -serial "file:$run/console.log" \
        -device virtio-serial -chardev stdio,id=output,signal=on -device virtconsole,chardev=output \
        </dev/null
    local status
    status=$(cat "$run/status" 2>/dev/null)
    if [ -z "$status" ]; then
        echo "!! the virtual machine ended without an exit status; its console said:" >&2
        tail -30 "$run/console.log" >&2
        status=1
    fi
    rm -rf "$run"
    return "$status"
}
