/* The frame-buffer query of the GP2X's kernel: the one request the launcher makes and its
   answer, laid out as the kernel lays it out (no 64-bit members, so the old ABI agrees). */
#ifndef TARVO_LINUX24_LINUX_FB_H
#define TARVO_LINUX24_LINUX_FB_H

#include <stdint.h>

#define FBIOGET_FSCREENINFO 0x4602

struct fb_fix_screeninfo {
    char id[16];
    unsigned long smem_start; /* physical address of the frame buffer */
    uint32_t smem_len;
    uint32_t type;
    uint32_t type_aux;
    uint32_t visual;
    uint16_t xpanstep;
    uint16_t ypanstep;
    uint16_t ywrapstep;
    uint32_t line_length;
    unsigned long mmio_start;
    uint32_t mmio_len;
    uint32_t accel;
    uint16_t reserved[3];
};

#endif
