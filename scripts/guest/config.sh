# Where the guest test bed lives and how it is shaped; sourced by its scripts.
GUEST_CACHE=${MORVINT_GUEST_CACHE:-/var/cache/morvint-guest}
GUEST_READY=$GUEST_CACHE/ready # kernel, initrd, disk image and stamp of a finished build
GUEST_BOOT=${GUEST_BOOT:-$GUEST_READY}         # the kernel and initrd a run boots
GUEST_DISK=${GUEST_DISK:-$GUEST_READY/disk.img} # the disk image it runs on
GUEST_MIRROR=${MORVINT_GUEST_MIRROR:-http://deb.debian.org/debian}
GUEST_DISK_SIZE=8G
# SMAP off: qemu 7.2's emulation takes the stack reads of a 32-bit program's
# iret for kernel accesses and faults them (the guest kernel oopses in Wine).
GUEST_CPU=max,-smap,-la57
# The share is cached in the guest: without the page cache, a large read
# returns short, and Wine, which loads an executable's sections with one read
# each, would run zeros where the rest of a section should be.
GUEST_SHARE_CACHE=${MORVINT_GUEST_SHARE_CACHE:-loose}
GUEST_MEMORY=${MORVINT_GUEST_MEMORY:-6G}
GUEST_TIMEOUT=${MORVINT_GUEST_TIMEOUT:-4800} # seconds a guest may run before it is stopped
