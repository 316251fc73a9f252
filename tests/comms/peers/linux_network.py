#!/usr/bin/env python3
"""Prints this machine's IPv4 adapters as Linux sees them, for the network-interface tests:
one line "QV_LINUX_NETWORK=name,MAC,address,mask,gateway;..." and one "QV_LINUX_DNS=address".
Interfaces without an IPv4 address and the loopback interface are left out."""
import fcntl
import os
import socket
import struct

SIOCGIFADDR = 0x8915
SIOCGIFNETMASK = 0x891B


def ioctl_address(probe, name, request):
    try:
        packed = fcntl.ioctl(probe.fileno(), request, struct.pack("256s", name.encode()[:15]))
    except OSError:
        return None
    return socket.inet_ntoa(packed[20:24])


def gateways():
    found = {}
    with open("/proc/net/route") as routes:
        next(routes)
        for line in routes:
            fields = line.split()
            if fields[1] == "00000000" and fields[0] not in found:
                found[fields[0]] = socket.inet_ntoa(struct.pack("<I", int(fields[2], 16)))
    return found


def main():
    probe = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    routes = gateways()
    adapters = []
    for name in sorted(os.listdir("/sys/class/net")):
        if name == "lo":
            continue
        address = ioctl_address(probe, name, SIOCGIFADDR)
        if not address:
            continue
        mask = ioctl_address(probe, name, SIOCGIFNETMASK)
        with open("/sys/class/net/%s/address" % name) as f:
            mac = f.read().strip().upper()
        adapters.append(",".join([name, mac, address, mask, routes.get(name, "0.0.0.0")]))
    dns = "0.0.0.0"
    with open("/etc/resolv.conf") as resolv:
        for line in resolv:
            words = line.split()
            if len(words) >= 2 and words[0] == "nameserver" and "." in words[1]:
                dns = words[1]
                break
    print("QV_LINUX_NETWORK=" + ";".join(adapters))
    print("QV_LINUX_DNS=" + dns)


if __name__ == "__main__":
    main()
