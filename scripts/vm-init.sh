#!/bin/bash
# The first and only process of the virtual machine that runs Wine where the
# host's kernel runs no 32-bit code (scripts/wine-root.sh). It mounts what a
# run needs, runs the command the host left in the share "run", writes its exit
# status there and powers the machine off. Installed into the Debian 13 root as
# /usr/local/sbin/quillgate-vm-init and started by the kernel as init.
export PATH=/usr/sbin:/usr/bin:/sbin:/bin

mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts
mount -t tmpfs tmpfs /dev/shm
# Wine's server socket lives under /tmp: it has to be a local file system.
mount -t tmpfs tmpfs /tmp
mount -t tmpfs tmpfs /run
hostname quillgate-vm

modprobe -q virtio_console
modprobe -q 9pnet_virtio
modprobe -q 9p

# The command's output goes to its own console; the kernel's stays on ttyS0.
# Raw, so that lines end as the programs end them; a console forgets its
# settings when its last user closes it, so they are made on the open one.
if [ -c /dev/hvc0 ]; then
    exec </dev/null >/dev/hvc0 2>&1
    stty raw -echo <&1
fi

share() { # mounts 9p share $1 at $2
    mkdir -p "$2" &&
        mount -t 9p -o trans=virtio,version=9p2000.L,msize=524288,cache=loose "$1" "$2"
}

status=1
if share run /run/quillgate; then
    checkout=$(cat /run/quillgate/checkout)
    if share checkout "$checkout"; then
        # Through a pipe, as on the host: a console on a terminal would make
        # Wine draw it with cursor escapes.
        bash /run/quillgate/command 2>&1 | cat
        status=${PIPESTATUS[0]}
    else
        echo "!! the virtual machine could not mount the checkout $checkout"
    fi
    echo "$status" >/run/quillgate/status
    sync
    umount "$checkout" 2>/dev/null
    umount /run/quillgate
else
    echo "!! the virtual machine could not mount its run folder"
fi
sync
echo o >/proc/sysrq-trigger
sleep 10
