"""Turns Google Benchmark JSON files into the ratio tables of
docs/performance.md: each figure next to its reference of the same run."""
import glob
import json
import os
import re
import sys

USB2_HIGH_SPEED = 53.2e6  # bytes per second a high-speed bulk pipe can carry

# (figure, reference, what is compared): rows of the two benchmarks with the
# same arguments are set side by side.
PAIRS = [
    ("BM_ExportedVendorRead", "BM_BareDriverVendorRead", "time",
     "Control transfer round trip: exported frame vs the bare simulated driver call"),
    ("BM_ContinuousThroughPool", "BM_MemcpyOfBuffers", "throughput",
     "Continuous acquisition through the pool vs memcpy of the same bytes"),
    ("BM_ReadDataConversion", "BM_MemcpyOfVolts", "time",
     "ADC_ReadData conversion (one-channel scans) vs memcpy of the doubles it delivers"),
    ("BM_GetScanVAveraging", "BM_MemcpyOfScanCounts", "time",
     "ADC_GetScanV (16 channels, argument: extra conversions each, averaged) vs memcpy of the counts"),
    ("BM_DACOutputFrame", "BM_MemcpyOfAFrame", "time",
     "Waveform queueing (DACOutputFrame) vs memcpy of the frame"),
]


def load(directory):
    rows = {}
    context = None
    for path in sorted(glob.glob(os.path.join(directory, "*.json"))):
        with open(path) as f:
            data = json.load(f)
        context = context or data.get("context", {})
        for row in data.get("benchmarks", []):
            if row.get("run_type", "iteration") != "iteration":
                continue
            row["run_date"] = data.get("context", {}).get("date", "")
            rows[row["name"]] = row
    return rows, context or {}


def split(name):
    base, _, args = name.partition("/")
    args = re.sub(r"(/(real_time|manual_time|min_time:[^/]*|iterations:[0-9]+))+$", "", args)
    return base, args


def ns(row):
    scale = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[row.get("time_unit", "ns")]
    return row["real_time"] * scale


def fmt_time(value):
    for unit, scale in (("s", 1e9), ("ms", 1e6), ("µs", 1e3)):
        if value >= scale:
            return f"{value / scale:.3g} {unit}"
    return f"{value:.3g} ns"


def fmt_rate(value):
    return f"{value / 1e6:.1f} MB/s"


SOAK = "BM_ContinuousSoak"


def soak_report(rows):
    """The soak's figures as a table, or "" when the run had no soak."""
    row = next((r for n, r in rows.items() if split(n)[0] == SOAK), None)
    if row is None:
        return ""
    if row.get("error_occurred"):
        return f"The soak failed: {row.get('error_message', '?')}.\n"
    mib = lambda key: f"{row.get(key, 0) / 1024:.1f} MiB"
    rate = row.get("rate", 0)
    lines = [
        f"Continuous acquisition for {row.get('seconds', 0):.0f} s, {row.get('buffer_bytes', 0) / 1024:.0f} KiB buffers, pattern 1 checked "
        f"sample by sample, the board paced at {rate / 1e6:.1f} M samples/s"
        + ("" if abs(rate * 2 - USB2_HIGH_SPEED) > 1 else ", the USB 2.0 high-speed ceiling of 53.2 MB/s")
        if rate else
        f"Continuous acquisition for {row.get('seconds', 0):.0f} s, {row.get('buffer_bytes', 0) / 1024:.0f} KiB buffers, pattern 1 checked "
        "sample by sample, the board unpaced",
        "",
        "| figure | value |",
        "|---|---|",
        f"| samples checked | {row.get('samples', 0):.4g} ({row.get('MB_per_s', 0):.1f} MB/s) |",
        f"| samples lost | {row.get('lost', 0):.0f} |",
        f"| samples out of order | {row.get('out_of_order', 0):.0f} |",
        f"| resident memory before the start | {mib('rss_before_kib')} |",
        f"| resident memory after 1 s / after the warm-up ({row.get('warm_up_s', 0):.0f} s) / at the end | "
        f"{mib('rss_first_kib')} / {mib('rss_warm_kib')} / {mib('rss_last_kib')} |",
        f"| resident memory growth from the warm-up to the end | "
        f"{row.get('rss_last_kib', 0) - row.get('rss_warm_kib', 0):+.0f} KiB |",
        f"| resident memory at most, after the warm-up / in all ({row.get('rss_samples', 0):.0f} samples, one a second) | "
        f"{mib('rss_max_after_warm_up_kib')} / {mib('rss_max_kib')} |",
        f"| pool buffers at the start / after 1 s / after the warm-up / at the end | {row.get('base_buffers', 0):.0f} / "
        f"{row.get('pool_first', 0):.0f} / {row.get('pool_warm', 0):.0f} / {row.get('pool_last', 0):.0f} |",
        "",
    ]
    return "\n".join(lines)


def report(rows, context):
    lines = []
    host = context.get("host_name", "?")
    cpus = context.get("num_cpus", "?")
    dates = sorted({row.get("run_date", "") for row in rows.values()} - {""})
    when = dates[0] if len(dates) == 1 else f"{dates[0]} to {dates[-1]}" if dates else ""
    lines.append(f"Run on {host} ({cpus} CPUs), {when}; the library in a Release build. "
                 "Times are wall-clock; the machine may be shared, so figures of one run are compared "
                 "with each other only.")
    lines.append("")
    used = set()
    for figure, reference, kind, title in PAIRS:
        pairs = []
        for name, row in rows.items():
            base, args = split(name)
            if base != figure:
                continue
            match = next((r for n, r in rows.items() if split(n) == (reference, args)), None)
            if match:
                pairs.append((args, row, match))
                used.update({name, match["name"]})
        if not pairs:
            continue
        lines.append(f"### {title}")
        lines.append("")
        if kind == "time":
            lines.append("| arguments | figure | reference | ratio (figure / reference) |")
            lines.append("|---|---|---|---|")
            for args, row, match in pairs:
                lines.append(f"| {args} | {fmt_time(ns(row))} | {fmt_time(ns(match))} | {ns(row) / ns(match):.2f} |")
        else:
            lines.append("| arguments | figure | memcpy | ratio to memcpy | ratio to 53.2 MB/s |")
            lines.append("|---|---|---|---|---|")
            for args, row, match in pairs:
                rate, base = row.get("bytes_per_second", 0), match.get("bytes_per_second", 1)
                lines.append(f"| {args} | {fmt_rate(rate)} | {fmt_rate(base)} | {rate / base:.3f} | "
                             f"{rate / USB2_HIGH_SPEED:.1f} |")
        lines.append("")
    soak = soak_report(rows)
    if soak:
        lines.append("### Soak: continuous acquisition")
        lines.append("")
        lines.append(soak)
        used.update(n for n in rows if split(n)[0] == SOAK)
    rest = [n for n in rows if n not in used]
    if rest:
        lines.append("### Other figures")
        lines.append("")
        lines.append("| benchmark | time | bytes/s | items/s |")
        lines.append("|---|---|---|---|")
        for name in rest:
            row = rows[name]
            bps = row.get("bytes_per_second")
            ips = row.get("items_per_second")
            lines.append(f"| {name} | {fmt_time(ns(row))} | {fmt_rate(bps) if bps else ''} | "
                         f"{f'{ips:.3g}' if ips else ''} |")
        lines.append("")
    return "\n".join(lines)


def replace_between(doc, begin, end, text):
    """Writes `text` between the markers of the page `doc` (if it has them)."""
    with open(doc) as f:
        page = f.read()
    if begin in page and end in page:
        head, _, tail = page.partition(begin)
        _, _, tail = tail.partition(end)
        with open(doc, "w") as f:
            f.write(head + begin + "\n\n" + text + "\n" + end + tail)


def main():
    directory, result_file, doc = sys.argv[1:4]
    reliability = sys.argv[4] if len(sys.argv) > 4 else None
    rows, context = load(directory)
    text = report(rows, context)
    with open(result_file, "w") as f:
        f.write(text + "\n")
    replace_between(doc, "<!-- results: written by scripts/run-benchmarks.sh -->",
                    "<!-- end of results -->", text)
    soak = soak_report(rows)
    if reliability and soak:
        row = next(r for n, r in rows.items() if split(n)[0] == SOAK)
        when = f"Run on {context.get('host_name', '?')}, {row.get('run_date', '')}; Release build.\n\n"
        replace_between(reliability, "<!-- soak: written by scripts/run-benchmarks.sh -->",
                        "<!-- end of soak -->", when + soak)


if __name__ == "__main__":
    main()
