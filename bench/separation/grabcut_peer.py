#!/usr/bin/env python3
"""OpenCV GrabCut on the scene GrowCutBench exports: mask mode, 5 iterations, one
thread, the strokes as definite labels and every other pixel probable background."""
import json
import os
import sys
import time

import cv2
import numpy as np


def main(folder):
    cv2.setNumThreads(1)
    picture = cv2.imread(f"{folder}/picture.ppm", cv2.IMREAD_COLOR)
    strokes = cv2.imread(f"{folder}/strokes.pgm", cv2.IMREAD_UNCHANGED)
    if picture is None or strokes is None:
        sys.exit("grabcut_peer: picture.ppm or strokes.pgm missing; run GrowCutBench with VELLORIA_SEPARATION_EXPORT")
    mask = np.full(strokes.shape, cv2.GC_PR_BGD, np.uint8)
    mask[strokes == 1] = cv2.GC_FGD
    mask[strokes == 2] = cv2.GC_BGD
    background = np.zeros((1, 65), np.float64)
    foreground = np.zeros((1, 65), np.float64)
    started, started_cpu = time.perf_counter(), time.process_time()
    cv2.grabCut(picture, mask, None, background, foreground, 5, cv2.GC_INIT_WITH_MASK)
    seconds, cpu_seconds = time.perf_counter() - started, time.process_time() - started_cpu
    pixels = picture.shape[0] * picture.shape[1]
    print(f"GrabCut (OpenCV {cv2.__version__}, 5 iterations, 1 thread): {seconds:.2f} s ({cpu_seconds:.2f} s CPU), "
          f"{pixels / seconds / 1e6:.3f} Mpixel/s")
    report = f"{folder}/growcut.json"
    if os.path.exists(report):
        with open(report) as f:
            runs = [b for b in json.load(f)["benchmarks"] if b["name"].startswith("BM_SegmentationRun/4000/3000")]
        if runs:
            growcut_seconds = runs[0]["real_time"] / 1000.0
            growcut_cpu = runs[0]["cpu_time"] / 1000.0
            print(f"GrowCut run (this program, 1 thread): {growcut_seconds:.2f} s ({growcut_cpu:.2f} s CPU), "
                  f"{pixels / growcut_seconds / 1e6:.3f} Mpixel/s, {runs[0]['swept/s'] / 1e6:.3f} M swept pixels/s")
            print(f"GrowCut is {seconds / growcut_seconds:.1f}x faster than GrabCut ({cpu_seconds / growcut_cpu:.1f}x in CPU time)")
    growcut = cv2.imread(f"{folder}/growcut.pgm", cv2.IMREAD_UNCHANGED)
    if growcut is not None:
        object_grabcut = (mask == cv2.GC_FGD) | (mask == cv2.GC_PR_FGD)
        object_growcut = growcut == 1
        print(f"Agreement with GrowCut's decision: {np.mean(object_grabcut == object_growcut) * 100:.2f} % of pixels")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else ".")
