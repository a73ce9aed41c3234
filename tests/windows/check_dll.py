#!/usr/bin/env python3
"""Checks the export table of MIRBAX.dll against the table of functions.

Reads the DLL with objdump and checks:
  - it exports exactly the names of exports.txt (447), undecorated;
  - names the module definition maps to one symbol share one entry point
    (`Name` and `_Name`, the alias pairs), and names of different symbols
    do not (every `VB` name is an entry point of its own);
with --calling-conventions (32-bit x86), from the disassembly:
  - every `VB` entry point returns with `ret $N`, N the argument bytes of
    its parameter list (plain `ret` or a tail jump for none), and calls its
    cdecl entry;
  - no cdecl entry point removes arguments of its own (`ret $N`).
Exits 1 with one line per fault.
"""
import argparse
import re
import subprocess
import sys


def objdump(tool, *args):
    return subprocess.run([tool, *args], check=True, capture_output=True, text=True).stdout


def read_exports(tool, dll):
    """name -> relative virtual address of the entry point, and the image base."""
    text = objdump(tool, "-p", dll)
    base = int(re.search(r"^ImageBase\s+([0-9a-fA-F]+)", text, re.M).group(1), 16)
    addresses = {}
    section = None
    names = {}
    for line in text.splitlines():
        if line.startswith("Export Address Table -- Ordinal Base"):
            section = "addresses"
            continue
        if line.startswith("[Ordinal/Name Pointer] Table"):
            section = "names"
            continue
        if section and not line.strip():
            section = None
            continue
        if section == "addresses":
            found = re.match(r"\s*\[\s*(\d+)\]\s+\+base\[\s*\d+\]\s+([0-9a-fA-F]+)\s+Export RVA", line)
            if found:
                addresses[int(found.group(1))] = int(found.group(2), 16)
        elif section == "names":
            found = re.match(r"\s*\[\s*(\d+)\]\s+(\S+)$", line)
            if found:
                names[found.group(2)] = int(found.group(1))
    return {name: addresses[ordinal] for name, ordinal in names.items()}, base


def read_definition(path):
    """name -> the symbol the module definition exports under it."""
    symbols = {}
    for line in open(path):
        found = re.match(r"\s+(\S+)(?:\s*=\s*(\S+))?\s*$", line)
        if found:
            symbols[found.group(1)] = found.group(2) or found.group(1)
    return symbols


def read_functions(tool, dll):
    """address -> the instructions of the function that starts there."""
    functions = {}
    current = None
    for line in objdump(tool, "-d", "--no-show-raw-insn", dll).splitlines():
        label = re.match(r"([0-9a-f]+) <([^>]+)>:$", line)
        if label:
            current = functions.setdefault(int(label.group(1), 16), [])
            continue
        instruction = re.match(r"\s*[0-9a-f]+:\s+(.*)$", line)
        if instruction and current is not None:
            current.append(instruction.group(1).strip())
    return functions


def returns(instructions):
    """The bytes each return removes: 0 for a plain ret."""
    removed = []
    for instruction in instructions:
        found = re.match(r"ret[lw]?\s*(?:\$0x([0-9a-f]+))?\s*$", instruction)
        if found:
            removed.append(int(found.group(1) or "0", 16))
    return removed


def called(instructions):
    """The addresses called, or jumped to as a tail call."""
    return {int(m.group(1), 16) for i in instructions
            for m in [re.match(r"(?:call|jmp)\s+([0-9a-f]+)\b", i)] if m}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--dll", required=True)
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--exports", required=True, help="exports.txt")
    parser.add_argument("--definition", required=True, help="mirbax.def")
    parser.add_argument("--vb-arguments", required=True, help="vb_arguments.txt")
    parser.add_argument("--calling-conventions", action="store_true",
                        help="check the returns of the entry points (32-bit x86)")
    options = parser.parse_args()

    faults = []
    exported, base = read_exports(options.objdump, options.dll)
    expected = [line.strip() for line in open(options.exports) if line.strip()]
    if len(expected) != 447:
        faults.append(f"exports.txt lists {len(expected)} names, not 447")
    for name in sorted(set(expected) - set(exported)):
        faults.append(f"not exported: {name}")
    for name in sorted(set(exported) - set(expected)):
        faults.append(f"exported beyond the table: {name}")
    for name in exported:
        if "@" in name:
            faults.append(f"decorated export name: {name}")

    symbols = read_definition(options.definition)
    entry_of_symbol = {}
    for name, symbol in symbols.items():
        if name not in exported:
            continue
        address = exported[name]
        if entry_of_symbol.setdefault(symbol, address) != address:
            faults.append(f"{name} is not the entry point of {symbol}")
    owners = {}
    for symbol, address in entry_of_symbol.items():
        owners.setdefault(address, []).append(symbol)
    for address, shared in owners.items():
        if len(shared) > 1:
            faults.append(f"one entry point for {', '.join(sorted(shared))}")

    checked_vb = checked_cdecl = 0
    if options.calling_conventions:
        functions = read_functions(options.objdump, options.dll)
        argument_bytes = {}
        for line in open(options.vb_arguments):
            name, count = line.split()
            argument_bytes[name] = int(count)
        for name in expected:
            if name not in exported:
                continue
            body = functions.get(base + exported[name])
            if body is None:
                faults.append(f"{name}: no function starts at its entry point")
                continue
            removed = returns(body)
            if name in argument_bytes:
                want = argument_bytes[name]
                # Without arguments the entry may end in a tail jump to its
                # cdecl entry, which leaves the stack as a `ret` would.
                if (not removed and want != 0) or any(r != want for r in removed):
                    faults.append(f"{name}: returns removing {removed} bytes, want {want}")
                target = re.sub(r"^VB|@\d+$", "", symbols[name])
                if target in exported and base + exported[target] not in called(body):
                    faults.append(f"{name}: does not call {target}")
                checked_vb += 1
            else:
                if any(r != 0 for r in removed):
                    faults.append(f"{name}: a cdecl entry point removes {removed} bytes")
                checked_cdecl += 1

    for fault in faults:
        print(fault)
    print(f"{options.dll}: {len(exported)} names, {len(entry_of_symbol)} entry points"
          + (f"; {checked_vb} VB returns and {checked_cdecl} cdecl returns checked"
             if options.calling_conventions else "")
          + ("" if faults else "; all as the table says"))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
