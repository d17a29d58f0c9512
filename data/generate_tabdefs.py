#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the two tab definition files of this folder (CR LF line ends, plain ASCII).

Rows: TABNAME,caption / REG,address,name,kind,label,units,scale / BITS,bit13,...,bit0.
Kinds: 0 read-only, 1 read/write, 2 command, 3 and 4 command with a 6-bit argument,
5 block-read request.
"""

import os

HERE = os.path.dirname(os.path.abspath(__file__))
RESERVED = "Reserved"


def bits(names_low_first):
    """A BITS row from the names of bits 0..13."""
    assert len(names_low_first) == 14
    return "BITS," + ",".join(reversed(names_low_first))


def padded(names, filler=RESERVED):
    return names + [filler] * (14 - len(names))


class Sheet:
    def __init__(self):
        self.rows = []

    def add(self, row):
        self.rows.append(row)

    def tab(self, caption):
        self.add("TABNAME," + caption)

    def reg(self, address, name, kind, label="", units="", scale=None, bit_names=None,
            hex_address=True):
        addr = "&H%X" % address if hex_address else str(address)
        fields = [addr, name, str(kind)]
        if scale is not None:
            fields += [label, units, scale]
        elif label:
            fields += [label, units]
        self.add("REG," + ",".join(fields))
        if bit_names is not None:
            self.add(bits(bit_names))

    def text(self):
        return "".join(row + "\r\n" for row in self.rows)


def special_pages(sheet):
    for caption in ("MAIN", "COMMANDS", "MONITOR", "CHART"):
        sheet.tab(caption)


FAULT_STATUS_BITS = [
    "Parity", "Ref Fault", "Reg Checksum", "Comm Timeout", "Overvoltage", "Undervoltage",
    "Open Wire", "Over Temp", "Vbat Open Wire", "Vss Open Wire", "EE Checksum", "Watchdog",
    "Osc Fault", "Scan Fault"]


def primary_section(sheet, p):
    """Device type 0: twelve cells, pack voltage, temperatures, faults, setup, balancing."""
    sheet.add("BEGIN52400")
    special_pages(sheet)

    sheet.tab("Voltages 1")
    sheet.reg(0x40, p["vbat_name"], 0, "Vbat", "V", p["vbat_scale"])
    for cell in range(1, 8):
        sheet.reg(0x40 + cell, "Cell %d Voltage" % cell, 0, "Cell %d" % cell, "V", p["cell_scale"])
    sheet.tab("Voltages 2")
    for cell in range(8, 13):
        sheet.reg(0x40 + cell, "Cell %d Voltage" % cell, 0, "Cell %d" % cell, "V", p["cell_scale"])
    sheet.reg(0x4F, "Read All Voltages", 5)

    sheet.tab("Temperatures")
    sheet.reg(0x50, "Internal Temperature", 0, "Temp", "degC", p["itemp_scale"])
    for ext in range(1, 5):
        sheet.reg(0x50 + ext, "External Temp %d" % ext, 0, "ExT %d" % ext, "V", p["etemp_scale"])
    sheet.reg(0x5F, "Read All Temperatures", 5)

    sheet.tab("Faults")
    sheet.reg(0x80, "Overvoltage Faults", 1,
              bit_names=padded(["OV%d" % c for c in range(1, 13)]))
    sheet.reg(0x81, "Undervoltage Faults", 1,
              bit_names=padded(["UV%d" % c for c in range(1, 13)]))
    sheet.reg(0x82, "Open Wire Faults", 1,
              bit_names=padded(["OW%d" % w for w in range(0, 13)]))
    sheet.reg(0x84, "Fault Status", 1, bit_names=FAULT_STATUS_BITS)
    sheet.reg(0x86, "Temperature Faults", 1,
              bit_names=padded(["Int Temp"] + ["ExT%d" % e for e in range(1, 5)]))
    sheet.reg(0x8F, "Read All Faults", 5)

    sheet.tab("Fault Setup")
    sheet.reg(0x83, "Fault Setup", 1, bit_names=[
        "Samples0", "Samples1", "Samples2", "ScanRate0", "ScanRate1", "ScanRate2", "ScanRate3",
        "Wire Scan", "Temp Test1", "Temp Test2", "Temp Test3", "Temp Test4", "Temp Cycle",
        RESERVED])
    sheet.reg(0x85, "Cell Setup", 1,
              bit_names=["Cell%d Off" % c for c in range(1, 13)] + ["Fast Wire", RESERVED])

    sheet.tab("Limits")
    sheet.reg(0x90, "Overvoltage Threshold", 1, "OV Limit", "V", p["cell_scale"])
    sheet.reg(0x91, "Undervoltage Threshold", 1, "UV Limit", "V", p["cell_scale"])
    sheet.reg(0x92, "External Temp Limit", 1, "ExT Limit", "V", p["etemp_scale"])
    sheet.reg(0x9A, "Internal Temp Limit", 1, "IT Limit", "degC", p["itemp_scale"])

    sheet.tab("Balance Setup")
    sheet.reg(0x93, "Balance Setup", 1, bit_names=padded([
        "Mode0", "Mode1", "Wait0", "Wait1", "Wait2", "Bank0", "Bank1", "Bank2", "Bank3",
        "Bal Enable"]))
    sheet.reg(0x94, "Balance Switches", 1,
              bit_names=padded(["Cell%d" % c for c in range(1, 13)]))
    sheet.reg(0x95, "Watchdog / Balance Time", 1,
              bit_names=["WDog%d" % b for b in range(7)] + ["BalTime%d" % b for b in range(7)])

    sheet.tab("User / Serial")
    sheet.reg(0x96, "User Register 01", 1)
    sheet.reg(0x97, "User Register 23", 1)
    sheet.reg(0x9B, "Serial Number Low", 0)
    sheet.reg(0x9C, "Serial Number High", 0)
    sheet.reg(0x9F, "Read All Setup", 5)

    sheet.tab("Scan Commands")
    for adr, name in ((1, "Scan Voltages"), (2, "Scan Temperatures"), (3, "Scan Mixed"),
                      (4, "Scan Wires"), (5, "Scan All"), (6, "Scan Continuous"),
                      (7, "Scan Inhibit")):
        sheet.reg(0xC0 + adr, name, 2)
    sheet.reg(0xC8, "Measure", 4, bit_names=padded(
        ["Select0", "Select1", "Select2", "Select3", "Type0", "Type1"], "-"))

    # Slot 4 of this tab is the reset that reloads the EEPROM.
    sheet.tab("Device Commands")
    sheet.reg(0xC9, "Identify", 3,
              bit_names=padded(["ID0", "ID1", "ID2", "ID3", "ID4", "ID5"], "-"))
    sheet.reg(0xCA, "Sleep", 2)
    sheet.reg(0xCB, "NAK", 2)
    sheet.reg(0xCC, "ACK", 2)
    sheet.reg(0xD2, "Reset", 2)
    sheet.reg(0xCF, "Wakeup", 2)

    sheet.tab("Balance Commands")
    sheet.reg(0xD0, "Balance Enable", 2)
    sheet.reg(0xD1, "Balance Inhibit", 2)

    for page in range(3):
        sheet.tab("Balance Values %d" % (page + 1))
        for k in range(8 * page, 8 * page + 8):
            cell = k // 2 + 1
            half = "High" if k % 2 else "Low"
            sheet.reg(0xA0 + k, "Cell %d Balance Value %s" % (cell, half), 1)

    # Register addresses in decimal here, to show that both notations work.
    for page in range(8):
        sheet.tab("EEPROM %02X-%02X" % (8 * page, 8 * page + 7))
        for offset in range(8 * page, 8 * page + 8):
            sheet.reg(0x100 + offset, "EEPROM %02X" % offset, 1, hex_address=False)
    for page in range(3):
        sheet.tab("Test %02X-%02X" % (8 * page, 8 * page + 7))
        for offset in range(8 * page, 8 * page + 8):
            sheet.reg(0x140 + offset, "Test Value %02X" % offset, 1, hex_address=False)


def companion_section(sheet, p):
    """Device type 1: six cells, temperatures, faults and scan commands; no balancing."""
    sheet.add("BEGIN52401")
    special_pages(sheet)

    sheet.tab("Voltages")
    for cell in range(1, 7):
        sheet.reg(0x40 + cell, "Cell %d Voltage" % cell, 0, "Cell %d" % cell, "V", p["cell_scale"])

    sheet.tab("Temperatures")
    sheet.reg(0x50, "Internal Temperature", 0, "Temp", "degC", p["itemp_scale"])
    sheet.reg(0x51, "External Temp 1", 0, "ExT 1", "V", p["etemp_scale"])
    sheet.reg(0x52, "External Temp 2", 0, "ExT 2", "V", p["etemp_scale"])

    sheet.tab("Faults")
    sheet.reg(0x80, "Overvoltage Faults", 1,
              bit_names=padded(["OV%d" % c for c in range(1, 7)]))
    sheet.reg(0x81, "Undervoltage Faults", 1,
              bit_names=padded(["UV%d" % c for c in range(1, 7)]))
    sheet.reg(0x84, "Fault Status", 1, bit_names=FAULT_STATUS_BITS)
    sheet.reg(0x8F, "Read All Faults", 5)

    sheet.tab("Setup")
    sheet.reg(0x83, "Scan Setup", 1, bit_names=padded([
        "Samples0", "Samples1", "Samples2", "ScanRate0", "ScanRate1", "ScanRate2", "ScanRate3",
        "Wire Scan"]))
    sheet.reg(0x85, "Cell Setup", 1, bit_names=padded(["Cell%d Off" % c for c in range(1, 7)]))
    sheet.reg(0x96, "User Register 01", 1)
    sheet.reg(0x97, "User Register 23", 1)
    sheet.reg(0x9B, "Serial Number Low", 0)
    sheet.reg(0x9C, "Serial Number High", 0)
    sheet.reg(0x9F, "Read All Setup", 5)

    sheet.tab("Scan Commands")
    for adr, name in ((1, "Scan Voltages"), (2, "Scan Temperatures"), (3, "Scan Mixed"),
                      (4, "Scan Wires"), (5, "Scan All"), (6, "Scan Continuous"),
                      (7, "Scan Inhibit")):
        sheet.reg(0xC0 + adr, name, 2)

    sheet.tab("Device Commands")
    sheet.reg(0xC9, "Identify", 3,
              bit_names=padded(["ID0", "ID1", "ID2", "ID3", "ID4", "ID5"], "-"))
    sheet.reg(0xCA, "Sleep", 2)
    sheet.reg(0xCB, "NAK", 2)
    sheet.reg(0xCC, "ACK", 2)
    sheet.reg(0xD2, "Reset", 2)
    sheet.reg(0xCF, "Wakeup", 2)


def write(file_name, primary_part, params, tint25):
    sheet = Sheet()
    sheet.add("KEYWORD,ADDRESS,NAME,KIND,LABEL,UNITS,SCALE")
    sheet.add("TITLE,%s Register Map Rev A" % primary_part)
    sheet.add("TITLEBAR,Velquist BMS Evaluation Software")
    sheet.add("PART1,%s" % primary_part)
    sheet.add("PART2,QVM52401")
    sheet.add("TINT25,%d" % tint25)
    primary_section(sheet, params)
    companion_section(sheet, params)
    with open(os.path.join(HERE, file_name), "w", encoding="ascii", newline="") as out:
        out.write(sheet.text())


# Pack voltage: 14 bits full scale 60 V (QVM38817: 50 V). Cells and thresholds: signed
# 14 bits, +/-5 V (QVM38817: +/-4.5 V). External inputs: ratiometric volts, 5 V full scale.
# Internal temperature: degrees C per count from the 25 degree reading.
write("tabdefs_QVM52400_RevA.csv", "QVM52400",
      {"vbat_name": "Vbat Voltage", "vbat_scale": "0.0036621", "cell_scale": "0.000610352",
       "etemp_scale": "0.000305176", "itemp_scale": "0.0217"}, 9217)
write("tabdefs_QVM38817_RevA.csv", "QVM38817",
      {"vbat_name": "Stack Voltage", "vbat_scale": "0.0030518", "cell_scale": "0.000549316",
       "etemp_scale": "0.000305176", "itemp_scale": "0.0198"}, 9150)
