#!/usr/bin/env python3
"""Reads the posting benchmark's packet capture (tools/bench) and reports, per client, how
long the FTP exchange lasted as the server saw it and how that time splits between the
client and the server.

    bench-capture.py CAPTURE RUNS SERVER PORT

CAPTURE is a pcap file of the loopback traffic to and from SERVER; RUNS lists the runs in
the order they were made, one a line: mode, client, whole-process milliseconds, and the
time it started in milliseconds since 1970 (tabs between). Each run made exactly one
control connection to SERVER:PORT, which opened while the run lasted. On a loaded machine
the capture can lack a packet of one: a run whose whole exchange the capture does not hold
is left out (the report says how many, per client), and the benchmark fails only when a
client is left with fewer than half its runs.

An exchange lasts from the client's SYN on the control connection to the last FIN on it.
Every packet that carries bytes, a SYN (not a SYN-ACK) or a FIN, on the control connection
or on a data connection opened during it, is an event of the side that sent it; the time
between two events belongs to the side whose event ends it (the other side was waiting).
So the client's time is what it spends between a reply and its next command, connect,
data or close; each such stretch is named by the reply before it ("STOR 150": the reply
150 to STOR). Once the control connection is encrypted (AUTH TLS), the replies cannot be
read: every stretch after a TLS record of the server's counts as "(encrypted)", and only
commands sent in the clear are counted. An SSH exchange (SFTP) is read the same way: past
the identification lines, which count as its "commands", everything is encrypted. Prints a report, then lines
"row<TAB>name<TAB>value" for the summary table.
"""
import re
import statistics
import struct
import sys

LINK_HEADERS = {1: 14, 113: 16, 276: 20}  # Ethernet, Linux cooked v1 and v2
FIN, SYN, RST, ACK = 0x01, 0x02, 0x04, 0x10
REPLY_END = re.compile(rb"(?:^|\r\n)(\d{3}) [^\r\n]*\r\n$")
ENCRYPTED = "(encrypted)"


def tls_record(payload):
    """Whether the payload starts a TLS record (handshake, alert, change cipher or data)."""
    return len(payload) >= 3 and payload[0] in (20, 21, 22, 23) and payload[1] == 3


def read_packets(path):
    """(time, source, destination, flags, payload) of every IPv4 TCP packet."""
    with open(path, "rb") as f:
        data = f.read()
    magic = struct.unpack("<I", data[:4])[0]
    endian = {0xA1B2C3D4: "<", 0xA1B23C4D: "<", 0xD4C3B2A1: ">", 0x4D3CB2A1: ">"}.get(magic)
    if endian is None:
        sys.exit("bench-capture: not a pcap file: " + path)
    scale = 1e-9 if magic in (0xA1B23C4D, 0x4D3CB2A1) else 1e-6
    link = struct.unpack(endian + "I", data[20:24])[0] & 0xFFFF
    if link not in LINK_HEADERS:
        sys.exit("bench-capture: unknown link type %d" % link)
    offset = 24
    while offset + 16 <= len(data):
        seconds, fraction, length, _ = struct.unpack(endian + "IIII", data[offset:offset + 16])
        frame = data[offset + 16:offset + 16 + length]
        offset += 16 + length
        ip = frame[LINK_HEADERS[link]:]
        if len(ip) < 20 or ip[0] >> 4 != 4 or ip[9] != 6:
            continue
        ip_header = (ip[0] & 0x0F) * 4
        total = struct.unpack("!H", ip[2:4])[0]
        tcp = ip[ip_header:total]
        source_port, destination_port = struct.unpack("!HH", tcp[:4])
        tcp_header = (tcp[12] >> 4) * 4
        yield (seconds + fraction * scale, (ip_addr(ip[12:16]), source_port),
               (ip_addr(ip[16:20]), destination_port), tcp[13], tcp[tcp_header:])


def ip_addr(raw):
    return ".".join(str(b) for b in raw)


class Exchange:
    """One control connection with the data connections opened while it lasted."""

    def __init__(self, start, flow):
        self.start = start
        self.control = flow
        self.packets = []
        self.fins = 0
        self.end = None


def split_exchanges(packets, server, port):
    exchanges, open_flows = [], {}
    for packet in packets:
        when, source, destination, flags, _ = packet
        flow = frozenset((source, destination))
        if flags & SYN and not flags & ACK and destination == (server, port):
            exchanges.append(Exchange(when, flow))
        current = exchanges[-1] if exchanges else None
        if current is None or current.end is not None:
            continue
        if flow != current.control and flow not in open_flows:
            if not (flags & SYN and not flags & ACK):
                continue  # a leftover of an earlier exchange
            open_flows[flow] = current
        if flow == current.control or open_flows.get(flow) is current:
            current.packets.append(packet)
            if flow == current.control and flags & (FIN | RST):
                current.fins += 1
                if current.fins == 2 or flags & RST:
                    current.end = when
    return exchanges


def measure(exchange, server):
    """Duration, the client's time, its time after each reply, and its commands' verbs."""
    events = []  # (time, side, reply label or None)
    reply, command, seen, ssh = b"", "connect", {}, False
    commands = []
    for when, source, destination, flags, payload in exchange.packets:
        side = "server" if source[0] == server else "client"
        on_control = frozenset((source, destination)) == exchange.control
        if not payload and not flags & (FIN | RST) and not (flags & SYN and not flags & ACK):
            continue  # acknowledgements and SYN-ACKs are the kernels' own
        label = None
        if on_control and payload.startswith(b"SSH-"):
            ssh = True  # every byte after the identification lines is SSH's binary protocol
        if on_control and payload and ssh and not payload.startswith(b"SSH-"):
            if side == "server":
                label = ENCRYPTED
        elif on_control and payload and tls_record(payload):
            if side == "server":
                label = ENCRYPTED
        elif on_control and payload and side == "server":
            reply += payload
            match = REPLY_END.search(reply)
            if match:
                label = "%s %s" % (command, match.group(1).decode())
                seen[label] = seen.get(label, 0) + 1
                if seen[label] > 1:
                    label += " (%d)" % seen[label]
                reply = b""
        elif on_control and payload:
            command = payload.split(None, 1)[0].decode("ascii", "replace").upper()
            commands.append(command)
        events.append((when, side, label))
    client, gaps, after = 0.0, {}, None
    for (earlier, _, label), (later, side, _) in zip(events, events[1:]):
        after = label or after
        if side == "client" and after is not None:
            client += later - earlier
            gaps[after] = gaps.get(after, 0.0) + later - earlier
    duration = exchange.end - exchange.start
    return duration * 1e3, client * 1e3, {k: v * 1e3 for k, v in gaps.items()}, commands


def match_runs(runs, exchanges):
    """(mode, client, wall ms, the exchange or None, round) per run: the first exchange of
    the capture that opened while the run lasted, give or take 5 ms; the round counts the
    client's earlier runs in that mode."""
    rounds, at = {}, 0
    for mode, client, wall, started in runs:
        wall = float(wall)
        begin = float(started) / 1e3 - 0.005
        end = begin + wall / 1e3 + 0.01
        while at < len(exchanges) and exchanges[at].start < begin:
            at += 1  # opened between runs: no run's
        exchange = None
        if at < len(exchanges) and exchanges[at].start <= end:
            exchange = exchanges[at]
            at += 1
        number = rounds.get((mode, client), 0)
        rounds[(mode, client)] = number + 1
        yield mode, client, wall, exchange, number


def paired(a, b):
    """The runs of a and b from the same rounds, side by side."""
    of_b = {r["round"]: r for r in b}
    return [(r, of_b[r["round"]]) for r in a if r["round"] in of_b]


def spread(values):
    """median [first quartile-third quartile]"""
    if len(values) < 2:
        return "%.2f" % values[0] if values else "-"
    q = statistics.quantiles(values, n=4, method="inclusive")
    return "%.2f [%.2f-%.2f]" % (statistics.median(values), q[0], q[2])


def median(values):
    return statistics.median(values) if values else float("nan")


def main():
    capture, runs_file, server, port = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
    runs = [line.rstrip("\n").split("\t") for line in open(runs_file) if line.strip()]
    exchanges = split_exchanges(read_packets(capture), server, port)
    results = {}  # mode -> client -> list of per-run dicts, in run order
    made, left_out = {}, {}  # (mode, client) -> runs made, runs without a whole exchange
    for mode, client, wall, exchange, number in match_runs(runs, exchanges):
        made[(mode, client)] = made.get((mode, client), 0) + 1
        results.setdefault(mode, {}).setdefault(client, [])
        if exchange is None or exchange.end is None:
            left_out[(mode, client)] = left_out.get((mode, client), 0) + 1
            continue
        duration, own, gaps, commands = measure(exchange, server)
        results[mode][client].append(
            {"wall": wall, "server": duration, "client": own, "gaps": gaps,
             "commands": commands, "round": number})
    for (mode, client), count in left_out.items():
        print("posting, %s: %s: %d of %d runs left out, their exchange not whole in the capture"
              % (mode, client, count, made[(mode, client)]))
        if 2 * (made[(mode, client)] - count) < made[(mode, client)]:
            sys.exit("bench-capture: %s, %s: fewer than half of the runs have their whole "
                     "exchange in the capture" % (mode, client))
    rows = []
    for mode, clients in results.items():
        names = list(clients)
        reference = names[-1]  # curl, run last in every round
        print("== posting, %s: runs of each client, alternating: %s" % (
            mode, ", ".join("%s %d" % (n, len(clients[n])) for n in names)))
        print("   medians [quartiles], ms; server's time = exchange - client's time")
        print("   %-22s %-22s %-22s %-22s %-22s %s" % ("client", "whole process", "exchange (SYN-FIN)",
                                                      "client's time", "server's time", "commands"))
        for name in names:
            runs_of = clients[name]
            pick = lambda key: [r[key] for r in runs_of]
            print("   %-22s %-22s %-22s %-22s %-22s %s" % (
                name, spread(pick("wall")), spread(pick("server")), spread(pick("client")),
                spread([r["server"] - r["client"] for r in runs_of]),
                "/".join(sorted({str(len(c)) for c in pick("commands")}))))
        print("   commands in the clear, in order (each different sequence once):")
        for name in names:
            for sequence in dict.fromkeys(" ".join(r["commands"]) for r in clients[name]):
                print("     %-20s %s" % (name, sequence))
        print("   paired ratios (median [quartiles] of the per-round ratios):")
        pairs = [(a, reference) for a in names[:-1]]
        if len(names) > 2:
            pairs.append((names[0], names[1]))
        ratios = {}
        for a, b in pairs:
            for key, what in (("server", "exchange"), ("wall", "whole process")):
                values = [x[key] / y[key] for x, y in paired(clients[a], clients[b]) if y[key] > 0]
                ratios[(a, b, key)] = median(values)
                print("     %-8s %-13s %s / %s: %s" % ("", what, a, b, spread(values)))
        print("   client's time after each reply (median ms over the runs, by reply):")
        for name in names:
            labels = []
            for r in clients[name]:
                labels += [k for k in r["gaps"] if k not in labels]
            text = ", ".join("%s %.2f" % (k, median([r["gaps"].get(k, 0.0) for r in clients[name]]))
                             for k in labels)
            print("     %-20s %s" % (name, text))
        print()
        summary = lambda key: "; ".join("%s %.2f" % (n, median([r[key] for r in clients[n]]))
                                        for n in names)
        ratio_text = lambda key: "; ".join("%s/%s %.2f" % (a, b, ratios[(a, b, key)])
                                           for a, b in pairs)
        rows.append(("posting, %s: exchange at the server (ms)" % mode, summary("server")))
        rows.append(("posting, %s: exchange, paired ratio" % mode, ratio_text("server")))
        rows.append(("posting, %s: client's time (ms)" % mode, summary("client")))
        rows.append(("posting, %s: whole process (ms)" % mode, summary("wall")))
        rows.append(("posting, %s: whole process, paired ratio" % mode, ratio_text("wall")))
    for name, value in rows:
        print("row\t%s\t%s" % (name, value))


if __name__ == "__main__":
    main()
