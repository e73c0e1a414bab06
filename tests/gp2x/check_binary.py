#!/usr/bin/env python3
"""Proves that programs built for the GP2X can run there.   Usage: check_binary.py PROGRAM...

The GP2X's ARM920T is an ARMv4T core and its 2.4 kernel knows only the old system-call ABI, so a
program passes when:
  1. every system call is `swi 0x900000 + number`: the new ABI's `swi 0` (number in r7) and any
     other immediate would reach a kernel that does not know them;
  2. its code holds ARMv4T instructions only: ARM mode (no Thumb at all), nothing of ARMv5 or
     later (blx, clz, ldrd, pld, the DSP and saturating arithmetic, ldrex, v6/v7 extensions...)
     and nothing for a coprocessor the ARM920T lacks (FPA, VFP, iWMMXt), except in libgcc's
     unwinder helpers that soft-float code never reaches (see UNWINDER_HELPERS);
  3. it is a static ARM ELF: no program interpreter, no dynamic section, not 26-bit code.
Exit 0 when every program passes; otherwise one line per finding on standard error (a few of each
kind, then a count) and exit 1.

How code is read: objdump disassembles with every architecture it knows (-m arm), so a later
instruction shows under its own name, and a closed list of ARMv4T mnemonics decides. Decoding as
ARMv4T instead (-m armv4t) would not do: it turns qadd or smlabb silently into a tst. objdump
tells code from literal pools by the mapping symbols ($a, $t, $d) and prints data as `.word`, so
a program without them (a stripped one) is refused rather than read with its data as code.
"""
import re
import subprocess
import sys

SHOWN = 3  # findings of one kind printed before the rest are counted
CONDITIONS = "eq|ne|cs|hs|cc|lo|mi|pl|vs|vc|hi|ls|ge|lt|gt|le|al"
ARMV4T = """and eor sub rsb add adc sbc rsc tst teq cmp cmn orr mov bic mvn lsl lsr asr ror rrx
    mul mla umull umlal smull smlal ldr str ldrb strb ldrt strt ldrbt strbt ldrh strh ldrsb ldrsh
    ldm ldmia ldmib ldmda ldmdb stm stmia stmib stmda stmdb push pop swp swpb b bl bx svc swi
    mrs msr cdp ldc ldcl stc stcl mcr mrc udf""".split()
# An optional flag-setting 's', then an optional condition, as objdump writes them (addseq).
ARMV4T_MNEMONIC = re.compile(r"(?:%s)s?(?:%s)?" % ("|".join(ARMV4T), CONDITIONS))
SYSTEM_CALL = re.compile(r"(?:svc|swi)(?:%s)?" % CONDITIONS)
OLD_ABI_CALLS = range(0x900000, 0x901000)
# libgcc's unwinder brings helpers that save and restore VFP and iWMMXt registers. They run only
# for frames whose unwind data says they saved such registers, which soft-float ARMv4T code never
# does, so their coprocessor instructions never reach the ARM920T.
UNWINDER_HELPERS = re.compile(r"__gnu_Unwind_(Save|Restore)_(VFP|VFP_D|VFP_D_16_to_31|WMMX[CD])")
FUNCTION = re.compile(r"[0-9a-f]+ <(.*)>:")
DISASSEMBLED = re.compile(r"\s*([0-9a-f]+):\t([0-9a-f ]+?) *\t([^\t]*)\t?(.*)")
EF_ARM_APCS_26 = 0x08  # meaningful in files of no EABI version only
KINDS = {
    "file": "findings about the file",
    "system call": "system calls of another ABI",
    "instruction": "instructions the ARM920T lacks",
    "thumb": "Thumb instructions",
}


def run(program, tool, *arguments):
    result = subprocess.run(["arm-none-eabi-" + tool, *arguments, program], capture_output=True,
                            text=True)
    return result.returncode, result.stdout, result.stderr.strip()


def check_file(program, findings):
    """Check 3; returns whether the code can be read (an ARM ELF with mapping symbols)."""
    status, text, error = run(program, "readelf", "-h", "-l", "-d", "-s", "-W")
    if status != 0 or "ELF Header:" not in text:
        findings["file"].append("not an ELF file (%s)" % error)
        return False
    machine = re.search(r"^\s*Machine:\s*(.*)$", text, re.M).group(1).strip()
    flags = int(re.search(r"^\s*Flags:\s*(0x[0-9a-f]+)", text, re.M).group(1), 16)
    if re.search(r"^\s*INTERP\s", text, re.M):
        findings["file"].append("has a program interpreter (PT_INTERP): it is linked dynamically")
    if re.search(r"^Dynamic section at offset", text, re.M):
        findings["file"].append("has a dynamic section: it is not a static program")
    if flags >> 24 == 0 and flags & EF_ARM_APCS_26:
        findings["file"].append("its flags (0x%x) claim 26-bit code (APCS-26)" % flags)
    if machine != "ARM":
        findings["file"].append("built for %s, not ARM" % machine)
        return False
    if not re.search(r"\s\$[adt](\.\d+)?$", text, re.M):
        findings["file"].append("no mapping symbols ($a, $d): its code cannot be told from its "
                                "data (check the program before it is stripped)")
        return False
    return True


def check_code(program, findings):
    """Checks 1 and 2."""
    status, text, error = run(program, "objdump", "-d", "-m", "arm")
    if status != 0:
        findings["file"].append("objdump cannot read it (%s)" % error)
        return
    instructions, function = 0, ""
    for line in text.splitlines():
        header = FUNCTION.fullmatch(line)
        if header:
            function = header.group(1)
        # "   8000:\te16f0f11 \tclz\tr0, r1", a Thumb one "   8014:\t4770      \tbx\tlr"; a word
        # objdump cannot decode has an empty mnemonic.
        match = DISASSEMBLED.fullmatch(line)
        if not match or match.group(3).startswith("."):  # not code, or data between the code
            continue
        address, encoding, mnemonic, operands = match.groups()
        operands = " ".join(operands.split())
        instructions += 1
        where = "0x%08x: '%s'" % (int(address, 16), (mnemonic + " " + operands).strip())
        if SYSTEM_CALL.fullmatch(mnemonic):
            number = int(operands.split()[0].lstrip("#"), 0)
            if number not in OLD_ABI_CALLS:
                findings["system call"].append(
                    "%s is not an old-ABI system call (swi 0x900000 + number)" % where)
        if len(encoding) != 8:  # a Thumb instruction is one or two halfwords
            findings["thumb"].append("%s is Thumb code; the launcher is ARM code only" % where)
        elif not ARMV4T_MNEMONIC.fullmatch(mnemonic) and not (
                mnemonic == "nop" and "(mov r0, r0)" in operands) and not (
                UNWINDER_HELPERS.fullmatch(function)):
            findings["instruction"].append("%s is not an ARMv4T instruction" % where)
    if instructions == 0:
        findings["file"].append("objdump shows no instructions in it")


def check(program):
    findings = {kind: [] for kind in KINDS}
    if check_file(program, findings):
        check_code(program, findings)
    for kind, messages in findings.items():
        for message in messages[:SHOWN]:
            print("%s: error: %s" % (program, message), file=sys.stderr)
        if len(messages) > SHOWN:
            print("%s: error: %d more %s" % (program, len(messages) - SHOWN, KINDS[kind]),
                  file=sys.stderr)
    return not any(findings.values())


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit("usage: check_binary.py PROGRAM...")
    results = [check(program) for program in sys.argv[1:]]
    sys.exit(0 if all(results) else 1)
