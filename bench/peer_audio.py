"""Reads the first audio stream of a file into one preallocated channels x
frames array of signed 16-bit samples with PyAV, as users would instead of
Morvale: decode, resample to planar s16, copy each frame into its columns.
Prints the frames read.

    python3 bench/peer_audio.py FILE CHANNELS FRAMES
"""
import sys

import av
import numpy


def main():
    path, channels, frames = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    samples = numpy.zeros((channels, frames), dtype=numpy.int16)
    with av.open(path) as container:
        stream = container.streams.audio[0]
        resampler = av.AudioResampler(format="s16p", layout=stream.layout.name, rate=stream.rate)
        done = 0
        for frame in container.decode(stream):
            for planar in resampler.resample(frame):
                block = planar.to_ndarray()[:, : frames - done]
                samples[:, done : done + block.shape[1]] = block
                done += block.shape[1]
    print(done)


if __name__ == "__main__":
    main()
