"""Reads every frame of a clip into one preallocated frames x height x width
x 3 array with a library users might pick instead of Morvale, as they would
use it: PyAV with its decoder's threads and RGB frames, or OpenCV's
VideoCapture. Prints the frame count read.

    python3 bench/peer_read.py pyav|opencv CLIP FRAMES WIDTH HEIGHT
"""
import sys

import numpy


def read_pyav(clip, frames):
    import av

    with av.open(clip) as container:
        stream = container.streams.video[0]
        stream.thread_type = "AUTO"
        count = 0
        for frame in container.decode(stream):
            frames[count] = frame.to_ndarray(format="rgb24")
            count += 1
    return count


def read_opencv(clip, frames):
    import cv2

    capture = cv2.VideoCapture(clip)
    count = 0
    while count < len(frames):
        ok, _ = capture.read(frames[count])
        if not ok:
            break
        count += 1
    capture.release()
    return count


def main():
    peer, clip = sys.argv[1], sys.argv[2]
    count, width, height = (int(value) for value in sys.argv[3:6])
    frames = numpy.empty((count, height, width, 3), numpy.uint8)
    read = {"pyav": read_pyav, "opencv": read_opencv}[peer](clip, frames)
    print(read)
    if read != count:
        sys.exit(f"{peer} read {read} frames, not {count}")


if __name__ == "__main__":
    main()
