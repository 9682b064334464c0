#!/usr/bin/env python3
"""The "figure:" lines of tarnavel_wbench (on stdin) as one table: figure,
target, measured, verdict. A figure without a target here is shown with "-"
as its target and verdict."""
import re
import sys


def num(fields, key):
    return float(fields[key])


def at_most(key, limit, unit=""):
    return lambda f, line: (f"{f[key]}{unit}", num(f, key) <= limit)


def below(key, limit, unit=""):
    return lambda f, line: (f"{f[key]}{unit}", num(f, key) < limit)


def precision(f, line):
    ok = num(f, "worst_ms") < 20 and abs(num(f, "drift_ms")) < 15.6
    return f"worst {f['worst_ms']} ms, drift {f['drift_ms']} ms, {f['switches']} switches", ok


def memory_run(f, line):
    change = re.search(r"\(start [\d.]+, ([+-]?[\d.]+) %\)", line)
    pct = float(change.group(1)) if change else float("nan")
    return f"{f['shown_mb']} MB shown, {pct:+.2f} % from start", abs(pct) <= 1


def soak(f, line):
    return f"boxes {f['boxes']}, working set {f['ws_mb']} MB, fds {f['fds']}", num(f, "boxes") == 0


# figure name: (what, target, judge(fields, line) -> (measured, ok))
RULES = {
    "startup": ("start-up against the twin", "<= 1.2x", at_most("ratio_twin", 1.2, "x")),
    "memory_start": ("working set after start", "<= 1.03x twin", at_most("ratio_twin", 1.03, "x")),
    "memory_run": ("working set while switching", "flat within 1 %", memory_run),
    "idle_hidden": ("idle CPU, in the tray", "< 0.02 %", below("unix_pct", 0.02, " %")),
    "idle_shown": ("idle CPU, shown", "< 0.1 %", below("unix_pct", 0.1, " %")),
    "idle_10s_hidden": ("CPU switching every 10 s, in the tray", "< 0.02 %",
                        below("unix_pct", 0.02, " %")),
    "idle_10s_shown": ("CPU switching every 10 s, shown", "< 0.1 %", below("unix_pct", 0.1, " %")),
    "idle_2s_hidden": ("CPU switching every 2 s, in the tray", "< 0.1 %",
                       below("unix_pct", 0.1, " %")),
    "precision_1s": ("switch every 1 s", "worst < 20 ms, drift < 15.6 ms", precision),
    "precision_10s": ("switch every 10 s", "worst < 20 ms, drift < 15.6 ms", precision),
    "hotkey": ("Ctrl+Shift+T to the new caption", "worst < 20 ms", below("worst_ms", 20, " ms")),
    "hook_callback": ("time in the keyboard hook's callback", "< 50 us", below("us", 50, " us")),
    "scale_refresh_1001": ("Refresh List, 1001 windows", "< 100 ms", below("ms", 100, " ms")),
    "scale_walk_1001": ("the walk of Refresh List over 1001 windows, in the bench", "< 100 ms",
                        below("ms", 100, " ms")),
    "marking_1000_rebound": ("marking, 1000 rows rebound by title", "< 100 ms",
                             below("ms", 100, " ms")),
    "marking_1000_named": ("marking, 1000 rows naming their windows", "< 100 ms",
                           below("ms", 100, " ms")),
    "scale_marking_1000_rebound": ("the same, Refresh clicks minus empty-queue clicks",
                                   "< 100 ms", below("ms", 100, " ms")),
    "scale_marking_1000_named": ("the same, rows naming their windows, by clicks", "< 100 ms",
                                 below("ms", 100, " ms")),
    "stored_32767": ("stored form of 32767 rows, to the registry and back", "< 100 ms",
                           below("total_ms", 100, " ms")),
    "soak": ("soak: no box, no crash", "no box", soak),
}


def main():
    rows, seen = [], set()
    for line in sys.stdin:
        if not line.startswith("figure: "):
            continue
        body = line[len("figure: "):].strip()
        name = body.split(" ", 1)[0]
        fields = dict(re.findall(r"(\w+)=(\S+)", body))
        seen.add(name)
        if name not in RULES:
            rows.append((name, "-", body[len(name):].strip(), "-"))
            continue
        what, target, judge = RULES[name]
        try:
            measured, ok = judge(fields, body)
            verdict = "met" if ok else "MISSED"
        except (KeyError, ValueError):
            measured, verdict = body[len(name):].strip(), "unread"
        rows.append((f"{what} ({name})", target, measured, verdict))
    header = ("figure", "target", "measured", "verdict")
    widths = [max(len(r[i]) for r in rows + [header]) for i in range(4)]
    for r in [header, tuple("-" * w for w in widths)] + rows:
        print(" | ".join(c.ljust(w) for c, w in zip(r, widths)).rstrip())
    return 0


if __name__ == "__main__":
    sys.exit(main())
