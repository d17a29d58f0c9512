#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Latest cell voltages of every rig that publishes to a broker.

Each rig runs `qvmctl poll --mqtt mqtt://BROKER/lab/RIG --rig RIG ...` (or the console's
"Publish to MQTT..."); this subscriber follows all of them and prints, whenever a sample
arrives, one line per device of every rig: its state (online, offline), the sample's time,
its communication errors and the lowest, highest and mean cell voltage.

    python3 examples/rig_watch.py --broker 127.0.0.1:1883 --topic lab

Needs python3-paho-mqtt (Debian package).
"""

import argparse
import json
import statistics

import paho.mqtt.client as mqtt


def device_lines(rig, state, sample):
    """One text line per device of the rig's latest sample."""
    if sample is None:
        return [f"{rig:12} {state:8} (no sample yet)"]
    lines = []
    for device in sample.get("volts") or []:
        cells = [v for v in device.get("cells", []) if v is not None]
        summary = (f"min {min(cells):.4f} max {max(cells):.4f} mean {statistics.mean(cells):.4f}"
                   if cells else "no cell read")
        errors = sample.get("com_errors") or "-"
        lines.append(f"{rig:12} {state:8} {sample.get('time', ''):24} errors {errors:10} "
                     f"{device['type']} {device['dev']:>2}: {summary}")
    return lines or [f"{rig:12} {state:8} {sample.get('time', '')} (no volts read)"]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--broker", default="127.0.0.1:1883", help="HOST[:PORT]")
    parser.add_argument("--topic", default="lab", help="the rigs publish below this topic")
    args = parser.parse_args()
    host, _, port = args.broker.partition(":")
    rigs = {}  # rig topic -> {"state": ..., "sample": ...}

    def on_connect(client, _userdata, _flags, code):
        if code != 0:
            raise SystemExit(f"rig_watch: the broker refused the connection ({code})")
        client.subscribe(f"{args.topic}/#", qos=1)

    def on_message(_client, _userdata, message):
        topic = message.topic
        payload = json.loads(message.payload)
        if topic.endswith("/status"):
            rigs.setdefault(topic[: -len("/status")], {"sample": None})["state"] = payload["state"]
        else:
            rigs.setdefault(topic, {"state": "online"})["sample"] = payload
        print("\033[H\033[J", end="")
        for name in sorted(rigs):
            rig = rigs[name]
            for line in device_lines(name, rig.get("state", "?"), rig.get("sample")):
                print(line)

    client = mqtt.Client()
    client.on_connect = on_connect
    client.on_message = on_message
    client.connect(host, int(port or 1883))
    client.loop_forever()


if __name__ == "__main__":
    main()
