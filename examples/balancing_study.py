#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Balancing study on the simulated chain.

Scans the chain, picks the highest cells of every device, balances them for a while, then lets
the chain rest, polling all along. The samples go to a CSV file as they are taken; when
matplotlib is installed the cell voltages are plotted over time into a PNG.

    PYTHONPATH=build/python python3 examples/balancing_study.py --png balancing.png

Without --sim it runs on the board attached over USB (give --family/--stack as for qvmctl);
the simulated board runs on virtual time, so the study's ten minutes take a second or two.
"""

import argparse

import qvm

BALANCE_SWITCHES = (2, 0x14)  # page and address of the balance switch register


def highest_cells(cells, count):
    """Bit mask of the `count` highest cells (cell n at bit n-1)."""
    ranked = sorted(range(len(cells)), key=lambda cell: cells[cell], reverse=True)
    mask = 0
    for cell in ranked[:count]:
        mask |= 1 << cell
    return mask


def run_study(evb, balance_minutes, rest_minutes, interval_ms, csv):
    evb.command("scan-all")
    masks = {}
    for device in evb.read_all("volts"):
        masks[device["dev"]] = highest_cells(device["cells"], 4)
        evb.write(device["dev"], *BALANCE_SWITCHES, masks[device["dev"]])
    evb.command("bal-enable")
    ticks = int(balance_minutes * 60000 / interval_ms)
    for sample in evb.poll(count=ticks, interval_ms=interval_ms, scans=["all"], csv=csv):
        if sample["errors"]:
            print(f"tick {sample['tick']}: {sample['error_codes']}")
    evb.command("bal-inhibit")
    # A second run continues the chart in a new store; keep the first one's arrays.
    balancing = evb.chart_store()
    ticks = int(rest_minutes * 60000 / interval_ms)
    for _ in evb.poll(count=ticks, interval_ms=interval_ms, scans=["all"]):
        pass
    return masks, balancing, evb.chart_store()


def plot(masks, balancing, resting, balance_minutes, path):
    try:
        import matplotlib
        matplotlib.use("Agg")
        import matplotlib.pyplot as plt
    except ImportError:
        print("matplotlib is not installed: no plot")
        return
    devices = sorted(masks)
    figure, axes = plt.subplots(len(devices), 1, sharex=True, figsize=(9, 2.6 * len(devices)),
                                squeeze=False)
    for row, dev in enumerate(devices):
        axis = axes[row][0]
        for cell in range(12):
            balanced = masks[dev] & (1 << cell)
            style = dict(color="tab:red" if balanced else "tab:blue",
                         linewidth=1.4 if balanced else 0.8)
            axis.plot(balancing["elapsed_min"], balancing["cell_volts"][:, dev - 1, cell], **style)
            axis.plot(resting["elapsed_min"] + balance_minutes,
                      resting["cell_volts"][:, dev - 1, cell], **style)
        axis.axvline(balance_minutes, color="grey", linestyle="--", linewidth=0.8)
        axis.set_ylabel(f"device {dev}\ncell (V)")
        axis.grid(True, linewidth=0.3)
    axes[0][0].set_title("Balancing the four highest cells (red) of each device, then resting")
    axes[-1][0].set_xlabel("elapsed time (min)")
    figure.tight_layout()
    figure.savefig(path, dpi=90)
    print(f"wrote {path}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--sim", default="daisy:52400x3", help="simulated chain, '' for USB")
    parser.add_argument("--family", help="52400, 52400+52401 or 38817 (real board)")
    parser.add_argument("--stack", type=int, default=0, help="devices per type (real board)")
    parser.add_argument("--balance-minutes", type=float, default=5)
    parser.add_argument("--rest-minutes", type=float, default=5)
    parser.add_argument("--interval-ms", type=int, default=2000)
    parser.add_argument("--csv", help="write the balancing samples here as they are taken")
    parser.add_argument("--png", default="balancing.png")
    args = parser.parse_args()

    simulated = bool(args.sim)
    with qvm.open(sim=args.sim or None, family=args.family, stack=args.stack,
                  virtual_time=simulated) as evb:
        print("devices:", evb.devices)
        masks, balancing, resting = run_study(evb, args.balance_minutes, args.rest_minutes,
                                              args.interval_ms, args.csv)
        for dev, mask in sorted(masks.items()):
            drop = balancing["cell_volts"][0, dev - 1] - resting["cell_volts"][-1, dev - 1]
            print(f"device {dev}: balanced cells {mask:#05x}, "
                  f"largest drop {drop.max() * 1000:.1f} mV")
        for dev in masks:
            evb.write(dev, *BALANCE_SWITCHES, 0)
    plot(masks, balancing, resting, args.balance_minutes, args.png)


if __name__ == "__main__":
    main()
