#!/bin/bash
# The Debian 13 root in which Wine 10 runs the 32-bit notepad.exe in its WoW64
# mode: a 64-bit Wine with the 32-bit Windows-side DLLs beside it, and no
# 32-bit Linux code (the kernels here run none). Debian 12 has no such Wine,
# and Debian 13's needs its newer glibc, so every host enters this root.
# Source this file, then:
#   quillgate_root_ensure        - make the root once; make it again when it is
#                                  missing or its recipe has changed
#   quillgate_in_root DIR CMD... - run CMD in the root, in a private mount
#                                  namespace, with DIR (the checkout) bound at
#                                  its own path and QUILLGATE_IN_ROOT=1 set;
#                                  the mounts go with the run
# The root lives outside the checkout and is shared by every checkout here.

QUILLGATE_CACHE=/var/cache/quillgate
QUILLGATE_ROOT=$QUILLGATE_CACHE/debian13-root
QUILLGATE_MIRROR=${QUILLGATE_MIRROR:-http://deb.debian.org/debian}

# What goes into the root; a change here makes the root again.
quillgate_root_recipe() {
    echo "debootstrap --variant=minbase trixie $QUILLGATE_MIRROR"
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

# Runs CMD inside root $1 with checkout $2 bound at its own path. The mounts
# are made in a mount namespace of this run alone and unmounted before it ends.
quillgate_chroot() {
    local root="$1" checkout="$2"
    shift 2
    unshare -m --propagation private -- /bin/bash -c '
        set -u
        root=$1 checkout=$2
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
        if [ -n "$checkout" ]; then
            mkdir -p "$root$checkout"
            mount --bind "$checkout" "$root$checkout" && mounted+=("$root$checkout") || exit 1
        fi
        # A display of the host, where there is one, is reachable from inside.
        if [ -n "${DISPLAY:-}" ] && [ -d /tmp/.X11-unix ]; then
            mkdir -p "$root/tmp/.X11-unix"
            mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix" &&
                mounted+=("$root/tmp/.X11-unix") || exit 1
        fi
        cp -L /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
        chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
            TERM="${TERM:-dumb}" "$@"
    ' quillgate-root "$root" "$checkout" "$@"
}

quillgate_in_root() {
    local checkout="$1"
    shift
    # Only the variables a run needs cross into the root.
    local -a vars=(QUILLGATE_IN_ROOT=1)
    local name
    for name in LANG LC_ALL DISPLAY QUILLGATE_LOCALE BUILD_DIR; do
        [ -n "${!name:-}" ] && vars+=("$name=${!name}")
    done
    quillgate_chroot "$QUILLGATE_ROOT" "$checkout" /usr/bin/env -C "$checkout" "${vars[@]}" "$@"
}

quillgate_root_make() {
    local fresh="$QUILLGATE_CACHE/debian13-root.new"
    echo "making the Debian 13 root for Wine in $QUILLGATE_ROOT (a few minutes, once)"
    quillgate_root_remove "$fresh" || return 1
    debootstrap --variant=minbase trixie "$fresh" "$QUILLGATE_MIRROR" \
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
    (
        # One maker at a time; the others wait and then find it ready.
        flock 9
        quillgate_root_ready || quillgate_root_make
    ) 9>"$QUILLGATE_CACHE/lock"
}
