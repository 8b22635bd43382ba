'''
The TARVEN K3 unit's radio tuner on the parallel port: its frames, named field by field.

It reads the four lines itself: the address byte goes with enable low and the data bytes with
enable high, so a stacked SPI decoder, which frames bytes by one select polarity, sees only
part of a frame. Channel ids are those of the simulator's VCD (enable, clock, data_out,
data_in); map an analyser's D0... to them. It flags a frame of the wrong length, an address
the tuner does not have, a line level shorter than one port access and a pause shorter than
the library's.
'''

from .pd import Decoder
