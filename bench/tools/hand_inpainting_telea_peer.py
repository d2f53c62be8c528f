#!/usr/bin/env python3
"""The reference a user would otherwise pick for the same hole: OpenCV's inpainting
(Telea) of the hole VxHandInpaintingTiming covers, the 100-pixel brush disc on the dark
wire of a 6000 x 4000 picture filled the same way. Median and worst of 100 runs.

    apt-get install python3-opencv python3-numpy
    bench/tools/hand_inpainting_telea_peer.py
"""
import time

import cv2
import numpy as np


def picture(width=6000, height=4000):
    # The timing's picture: shading steps, 4-bit grain from the same linear congruential
    # sequence, and a three-row wire at y = 1999..2001.
    seed = 12345
    count = width * height
    grain = np.empty(count, dtype=np.uint8)
    a, c, m = 1664525, 1013904223, 1 << 32
    for i in range(count):  # slow but exact; the picture is made once
        seed = (seed * a + c) % m
        grain[i] = seed >> 28
    grain = grain.reshape(height, width).astype(np.int32)
    y, x = np.mgrid[0:height, 0:width]
    image = np.empty((height, width, 3), dtype=np.uint8)
    image[..., 0] = (60 + (x // 40) % 40 + grain).astype(np.uint8)
    image[..., 1] = (90 + (y // 30) % 50 + grain).astype(np.uint8)
    image[..., 2] = (120 + ((x + y) // 50) % 60 + grain).astype(np.uint8)
    image[1999:2002, :, :] = 16
    return image


def main():
    image = picture()
    mask = np.zeros(image.shape[:2], dtype=np.uint8)
    cv2.circle(mask, (3000, 2000), 50, 255, -1)
    # OpenCV works on the whole picture; the hole's neighbourhood is what matters, so the
    # crop around it is timed as well.
    crop = (slice(1900, 2101), slice(2900, 3101))
    for name, img, msk in (("whole picture", image, mask), ("200 x 200 around the hole", image[crop], mask[crop])):
        times = []
        for _ in range(100):
            start = time.perf_counter()
            cv2.inpaint(img, msk, 3, cv2.INPAINT_TELEA)
            times.append((time.perf_counter() - start) * 1000)
        times.sort()
        print(f"cv2.inpaint Telea, {name:28s} median {times[50]:8.2f} ms   worst {times[-1]:8.2f} ms")


if __name__ == "__main__":
    main()
