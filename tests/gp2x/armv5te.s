@ What the GP2X cannot run: an ARMv5 instruction, a system call of the new ABI and Thumb code.
	.arch armv5te
	.arm
	.global _start
_start:
	clz r0, r1
	swi 0
	bx lr
	.thumb
	.thumb_func
thumb:
	bx lr
