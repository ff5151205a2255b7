#!/usr/bin/env python3
"""Prints scripts/bench-threads.sh's medians: milliseconds per 3840 x 2160
frame and, in brackets, the time against one thread, for the OpenFX plug-in
and the plain copy on 1, 2, 4 and 8 of the host's threads, huesieve-render's
render call on as many of its threads, and the effect call per band size."""
import json
import sys

WORKERS = (1, 2, 4, 8)


def main(path):
    with open(path) as f:
        data = json.load(f)
    median = {}
    for run in data["benchmarks"]:
        if run.get("aggregate_name") == "median":
            median[run["run_name"].replace("/manual_time", "")] = run["real_time"] / 1e6

    def cells(stem, workers):
        one = median.get(f"{stem}/workers:1")
        row = []
        for count in workers:
            ms = median.get(f"{stem}/workers:{count}")
            row.append("absent" if ms is None or one is None else f"{ms:.2f} ({ms / one:.2f})")
        return row

    print("| depth | frame | " + " | ".join(f"{w} thread{'s' if w > 1 else ''}" for w in WORKERS)
          + " |")
    print("|---|---|" + "---:|" * len(WORKERS))
    for depth in ("8", "16", "Float"):
        for label, stem in (
                ("natural", f"OfxRender{depth}/frame:natural/entries:10/claims:some"),
                ("noise, feather bands", f"OfxRender{depth}/frame:noise/entries:10/claims:some"),
                ("plain copy", f"OfxCopy{depth}")):
            print(f"| {depth.lower()} | {label} | " + " | ".join(cells(stem, WORKERS)) + " |")
    for label, stem in (
            ("natural", "ToolRenderFloat/frame:natural/entries:10/claims:some"),
            ("noise, feather bands", "ToolRenderFloat/frame:noise/entries:10/claims:some")):
        print(f"| huesieve-render, float | {label} | " + " | ".join(cells(stem, WORKERS)) + " |")

    bands = sorted({int(name.split("band_pixels:")[1].split("/")[0])
                    for name in median if name.startswith("Bands8")})
    if not bands:
        return
    print()
    print("The effect call, 8-bit RGBA, per band size (pixels); ms per frame (x one thread):")
    print()
    print("| frame | band pixels | 1 thread | 2 threads |")
    print("|---|---:|---:|---:|")
    for frame in ("natural", "noise"):
        for band in bands:
            stem = f"Bands8/frame:{frame}/entries:10/claims:some/band_pixels:{band}"
            print(f"| {frame} | {band} | " + " | ".join(cells(stem, (1, 2))) + " |")


if __name__ == "__main__":
    main(sys.argv[1])
