"""Merges the benchmark programs' JSON files into one results file and prints one
table: every figure with its baseline from the same run and the ratio between
them, under the machine's description. Called by bench/run-all."""
import json
import os
import sys


def load(folder, name):
    path = os.path.join(folder, name + ".json")
    if not os.path.exists(path):
        return None
    with open(path) as handle:
        return json.load(handle)


def rows_of(parts):
    rows = []  # (group, figure, value, unit, ratio, baseline)
    decoder = parts.get("decoder")
    if decoder:
        memcpy = decoder.get("memcpy_megabytes_per_second", 0)
        for row in decoder.get("decode", []):
            rows.append(("decode", row["batch"], row["megabytes_per_second"], "MB/s", row["rate_vs_memcpy"],
                         "memcpy %.0f MB/s" % memcpy))
        if "bytes_per_photon" in decoder:
            rows.append(("decode", "store by the decoder, per photon", decoder["bytes_per_photon"], "B", None,
                         "%.1f B per packet" % decoder.get("bytes_per_packet", 0)))
    receive = parts.get("receive")
    if receive:
        for size in receive.get("receive", []):
            mmsg = size["recvmmsg"]["loss_free_MBps"]
            line = size["line_MBps"]
            for name in ("library", "recvmmsg", "iperf3"):
                edge = size[name]["loss_free_MBps"]
                mark = " (sender limit)" if size[name].get("sender_limited") else ""
                rows.append(("receive %s" % size["size"], "%s loss-free%s" % (name, mark), edge, "MB/s",
                             edge / mmsg if mmsg else None, "recvmmsg peer %.1f MB/s" % mmsg))
            library = size["library"]["loss_free_MBps"]
            rows.append(("receive %s" % size["size"], "library against 1 Gb/s payload", library, "MB/s",
                         library / line, "line %.0f MB/s" % line))
            camera = size.get("camera_one_core_MBps", 0)
            rows.append(("receive %s" % size["size"], "camera send, one core", camera, "MB/s", camera / line,
                         "line %.0f MB/s" % line))
    queue = parts.get("streamqueue")
    if queue:
        memcpy = queue["memcpy_photons_per_second"]
        rows.append(("stream", "ReadPhotons, photons/s", queue["stream_photons_per_second"], "/s",
                     queue["stream_photons_per_second"] / memcpy, "memcpy %.0f M photons/s" % (memcpy / 1e6)))
        rows.append(("stream", "ReadPhotons against the goal", queue["stream_photons_per_second"], "/s",
                     queue["stream_photons_per_second"] / 50e6, "goal 50 M photons/s"))
    streamed = parts.get("streamreceive")
    if streamed:
        best = {}
        for probe in streamed.get("probes", []):
            if probe["lossless"] and probe["sent_MBps"] > best.get(probe["path"], 0):
                best[probe["path"]] = probe["sent_MBps"]
        mmsg = best.get("recvmmsg", 0)
        for path in ("stream", "store", "recvmmsg"):
            rows.append(("receive 660 B (3 packets)", "%s, highest loss-free rate sent" % path, best.get(path, 0),
                         "MB/s", best.get(path, 0) / mmsg if mmsg else None, "recvmmsg peer %.1f MB/s" % mmsg))
    store = parts.get("store")
    if store:
        for sample in store.get("store", []):
            name = "%.0f M photons" % (sample["photons"] / 1e6)
            rows.append(("store", name + ", per photon", sample["bytes_per_photon"], "B",
                         sample["ratio_to_wire_bytes"], "wire %.2f B/photon" % store["wire_bytes_per_photon"]))
            rows.append(("store", name + ", per photon", sample["bytes_per_photon"], "B", sample["ratio_to_goal"],
                         "goal %.2f B/photon" % store["goal_bytes_per_photon"]))
            rows.append(("store", name + ", per packet", sample["bytes_per_packet"], "B", None, ""))
        queries = store.get("queries", {})
        if queries:
            rows.append(("queries", "GetPhotonData random", queries["per_second"], "calls/s", queries["ratio_to_plain"],
                         "plain array %.0f/s" % queries["plain_per_second"]))
    export = parts.get("export")
    if export:
        for row in export.get("exports", []):
            rows.append(("export", row["export"], row["per_second"], "/s", row["ratio_to_baseline"], row["baseline"]))
    control = parts.get("control")
    if control:
        for row in control.get("control", []):
            rows.append(("control", row["name"], row["ms"], "ms", row["ratio_to_baseline"],
                         "%s %.3f ms" % (row["baseline"], row["baseline_ms"])))
    for name, what in (("gui", "photons.dat written"), ("gui-nofile", "no file")):
        gui = parts.get(name)
        if not gui:
            continue
        group = "gui %.0f pkt/s" % gui["packets_per_second"]
        sent = gui["photons_sent"]
        rows.append((group, "photons lost, " + what, gui["photons_lost"], "photons",
                     gui["photons_lost"] / sent if sent else None, "%d photons sent" % sent))
        rows.append((group, "refreshes, " + what, gui["refreshes_per_second"], "/s",
                     gui["refreshes_per_second"] / 5.0, "goal 5/s"))
        rows.append((group, "worst event-loop delay, " + what, gui["worst_delay_ms"], "ms",
                     gui["worst_delay_ms"] / 100.0, "goal 100 ms"))
    soak = parts.get("soak")
    if soak:
        rows.append(("soak", "%.0f min: lost / extra / bad answers" % soak["minutes"],
                     soak["lost"] + soak["extra"] + soak["bad_answers"], "", None,
                     "%d packets sent, %s" % (soak["sent"], "passed" if soak["passed"] else "FAILED")))
        rows.append(("soak", "memory left between collections moved", soak["base_drift_bytes"] / 1e6, "MB", None, ""))
        rows.append(("soak", "growth per stored photon (max)", soak["max_bytes_per_photon"], "B", None, ""))
    return rows


def main():
    folder, out, failed = sys.argv[1], sys.argv[2], sys.argv[3] if len(sys.argv) > 3 else ""
    names = ("decoder", "export", "receive", "store", "control", "gui", "gui-nofile", "soak")
    parts = {name: part for name in names for part in [load(folder, name)] if part is not None}
    machine = next((part["machine"] for part in parts.values() if "machine" in part), {})
    rows = rows_of(parts)
    print()
    print("machine: %s cores, %s, %s" % (machine.get("nproc"), machine.get("cpu"), machine.get("kernel")))
    loads = ["%s %s" % (name, part["machine"].get("load_average", "?")) for name, part in parts.items() if "machine" in part]
    print("load average at the start of each program (other work shares the machine): %s" % "; ".join(loads))
    print("%-16s %-44s %14s %-8s %8s  %s" % ("group", "figure", "value", "unit", "ratio", "baseline (same run)"))
    for group, figure, value, unit, ratio, baseline in rows:
        ratio_text = "%8.3f" % ratio if ratio is not None else "%8s" % "-"
        print("%-16s %-44s %14.2f %-8s %s  %s" % (group, figure, value, unit, ratio_text, baseline))
    if failed.strip():
        print("programs that reported a failure: %s" % failed)
    result = dict(parts)
    result["machine"] = machine
    result["table"] = [dict(group=g, figure=f, value=v, unit=u, ratio=r, baseline=b) for g, f, v, u, r, b in rows]
    result["failed"] = failed.split()
    with open(out, "w") as handle:
        json.dump(result, handle, indent=1)
    print("results: %s" % out)


if __name__ == "__main__":
    main()
