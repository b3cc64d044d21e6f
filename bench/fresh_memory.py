"""Fills BYTES bytes of memory fresh from the system once: what the host
pays for a result array of that size before any pixel is copied into it
(the kernel hands out zeroed pages on first touch).

    python3 bench/fresh_memory.py BYTES
"""
import sys

import numpy

numpy.ones(int(sys.argv[1]), numpy.uint8)
