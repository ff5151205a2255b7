#!/usr/bin/env python3
"""Prints the render benchmarks' medians as a table with ratios to the copy,
and checks them against the speed targets."""
import json
import sys


def main(path):
    with open(path) as f:
        data = json.load(f)
    median = {}
    for run in data["benchmarks"]:
        if run.get("aggregate_name") != "median":
            continue
        name = run["run_name"].replace("/manual_time", "").replace("/min_time:1.000", "")
        median[name] = run

    def ns(name):
        return median[name]["ns_per_pixel"] if name in median else float("nan")

    copy = {"8": ns("FrameCopy8"), "16": ns("FrameCopy16")}
    print("| benchmark | ns/pixel | x copy | claimed |")
    print("|---|---:|---:|---:|")
    for name, run in median.items():
        if "/threads:" in name or "/workers:" in name or name.startswith(
                ("PassSizes8", "ClassifyEveryCell")):
            continue
        depth = "16" if name.startswith(("Render16", "Pass16", "FrameCopy16")) else "8"
        claimed = run.get("claimed")
        print(f"| {name} | {run['ns_per_pixel']:.3f} | {run['ns_per_pixel'] / copy[depth]:.2f} | "
              + (f"{claimed:.0%}" if claimed is not None else "") + " |")

    print()
    print("The pass alone, per kernel (10 entries; ns per pixel, x the 8-bit or 16-bit copy):")
    print()
    kernels = ("portable", "avx2", "avx512")
    print("| pass | " + " | ".join(kernels) + " |")
    print("|---|" + "---:|" * len(kernels))
    for label, family, frame, claims, depth in (
            ("8-bit natural, claims:none", "Pass8", "natural", "none", "8"),
            ("8-bit natural, claims:some", "Pass8", "natural", "some", "8"),
            ("8-bit noise, claims:none", "Pass8", "noise", "none", "8"),
            ("8-bit noise, claims:some", "Pass8", "noise", "some", "8"),
            ("16-bit natural, claims:none", "Pass16", "natural", "none", "16")):
        cells = []
        for isa in kernels:
            value = ns(f"{family}/frame:{frame}/entries:10/claims:{claims}/isa:{isa}")
            cells.append("absent" if value != value else f"{value:.3f} ({value / copy[depth]:.1f})")
        print(f"| {label} | " + " | ".join(cells) + " |")

    print()
    print("| threads | frames/s render | frames/s copy | frames/s plain rule |")
    print("|---|---:|---:|---:|")
    pixels = 3840 * 2160
    scaling = {}
    for threads in (1, 2):
        row = []
        for family in ("RenderThreads8/frame:natural/entries:10/claims:some", "FrameCopyThreads8",
                       "PlainThreads8"):
            run = median.get(f"{family}/threads:{threads}")
            rate = run["items_per_second"] / pixels if run else float("nan")
            scaling.setdefault(family, []).append(rate)
            row.append(f"{rate:.1f}")
        print(f"| {threads} | " + " | ".join(row) + " |")

    print()
    print("The effect by frame size, entries with feather bands: microseconds per frame as"
          " the walk fills the worker's cell cache (cold), and to classify every cell up front:")
    print()
    print("| frame | entries | size | cold | every cell | every cell / cold |")
    print("|---|---:|---|---:|---:|---:|")

    def us(name):
        return median[name]["us_per_frame"] if name in median else float("nan")

    for frame in ("natural", "noise"):
        for count in (1, 10):
            every = us(f"ClassifyEveryCell/frame:{frame}/entries:{count}/claims:some")
            for size in ("64x64", "1920x1080", "3840x2160"):
                sized = f"PassSizes8/frame:{frame}/entries:{count}/claims:some/size:{size}/cache:"
                cold = us(sized + "cold")
                print(f"| {frame} | {count} | {size} | {cold:.1f} | {every:.1f} | "
                      f"{every / cold:.2f} |")

    def ratio(a, b):
        return ns(a) / ns(b)

    print()
    print("The OpenFX plug-in against the module, the same picture (10 entries; ns per pixel):")
    print()
    print("| plug-in depth | claims | plug-in | module | plug-in / module | target |")
    print("|---|---|---:|---:|---:|---:|")
    ofx_targets = (("OfxRender8", "byte", "Render8", 1.2), ("OfxRender16", "short", "Render16", 1.3),
                   ("OfxRenderFloat", "float", "Render16", 2.0))
    ofx_checks = []
    for family, depth, module, limit in ofx_targets:
        for claims in ("none", "some"):
            plugin = f"{family}/frame:natural/entries:10/claims:{claims}"
            against = f"{module}/frame:natural/entries:10/claims:{claims}"
            print(f"| {depth} | {claims} | {ns(plugin):.3f} | {ns(against):.3f} ({module}) | "
                  f"{ratio(plugin, against):.2f} | {limit} |")
            ofx_checks.append((f"OpenFX {depth}, claims {claims} <= {limit}x {module}",
                               ratio(plugin, against), limit))

    render = "Render8/frame:{}/entries:{}/claims:{}"
    checks = [
        ("8-bit natural, 10 entries, none <= 1.5x copy",
         ratio(render.format("natural", 10, "none"), "FrameCopy8"), 1.5),
        ("8-bit natural, 3 entries, none <= 1.3x copy",
         ratio(render.format("natural", 3, "none"), "FrameCopy8"), 1.3),
        ("8-bit natural, 1 entry, none <= 1.3x copy",
         ratio(render.format("natural", 1, "none"), "FrameCopy8"), 1.3),
        ("8-bit noise, 10 entries, none <= 4x copy",
         ratio(render.format("noise", 10, "none"), "FrameCopy8"), 4.0),
        ("16-bit natural, 10 entries <= 2.5x copy16",
         ratio("Render16/frame:natural/entries:10/claims:none", "FrameCopy16"), 2.5),
    ]
    for frame in ("natural", "noise"):
        for count in (1, 3, 10):
            checks.append((f"{frame} {count} entries: some <= 2x none",
                           ratio(render.format(frame, count, "some"), render.format(frame, count, "none")),
                           2.0))
    checks.append(("natural 10 entries: some <= 1.25x none",
                   ratio(render.format("natural", 10, "some"), render.format("natural", 10, "none")),
                   1.25))
    plain = ratio("Plain8/frame:natural/entries:10/claims:none", render.format("natural", 10, "none"))
    checks.append(("at least 10x faster than Plain8 (speed-up shown)", 1 / plain, 0.1))
    rates = scaling["RenderThreads8/frame:natural/entries:10/claims:some"]
    copies = scaling["FrameCopyThreads8"]
    plains = scaling["PlainThreads8"]
    print()
    print(f"two-thread throughput: render {rates[1] / rates[0]:.2f}x one thread, "
          f"copy {copies[1] / copies[0]:.2f}x, plain rule {plains[1] / plains[0]:.2f}x (target 1.8x)")
    print()
    checks.extend(ofx_checks)
    for label, value, limit in checks:
        if "faster" in label:
            print(f"{'met' if 1 / value >= 10 else 'NOT met'}: {label}: {1 / value:.1f}x")
        else:
            print(f"{'met' if value <= limit else 'NOT met'}: {label}: {value:.2f}")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "build/release/bench-results.json")
