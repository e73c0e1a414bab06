@ What the GP2X runs: ARMv4T code (smull and bx are ARMv4T) and an old-ABI system call. The
@ literal pool holds words that would be a new-ABI call and a clz as code, and must pass as data.
	.arch armv4t
	.arm
	.global _start
_start:
	smull r0, r1, r2, r3
	ldr r0, pool
	ldr r1, pool + 4
	swi 0x900001
	bx lr
pool:
	.word 0xef000000, 0xe16f0f11
