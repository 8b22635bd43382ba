"""The tuner bus as the tuner reads it: transfers made from the levels of its four lines.

Data is sampled on the clock's rising edge. While enable is low the bits are an address
(the last eight count, least significant bit first); enable going high ends it, and the
rising edges until enable falls again are the data bits, both data lines taken at each.
Which line and bit order a register uses is the frames' business (frames.py).

Times are ticks of the capture (sample numbers, or VCD time steps); seconds_per_tick turns
them into seconds for the timing checks, which are skipped when it is None.

Python 3.4, the version sigrok's Windows builds embed: no f-strings.
"""

ADDRESS_BITS = 8


class Transfer(object):
    def __init__(self, start):
        self.start = start
        self.end = None
        self.data_start = None    # where enable rose
        self.address_bits = []    # (tick, data_out) at each rising clock edge, enable low
        self.data_bits = []       # (tick, data_out, data_in) at each rising clock edge, enable high
        self.timing = []          # (first tick, last tick, text): levels shorter than the shortest
        self.complete = False     # ended by enable falling, not by the end of the capture

    def extra_edges(self):
        """Address bits beyond eight: one on the first transfer after the radio opened (its
        open pattern leaves the clock low, and the transfer's first write raises it)."""
        return len(self.address_bits) - ADDRESS_BITS

    def address(self):
        """The last eight address bits, or None when fewer came."""
        if len(self.address_bits) < ADDRESS_BITS:
            return None
        return sum(bit << i for i, (_, bit) in enumerate(self.address_bits[-ADDRESS_BITS:]))


class LineReader(object):
    """Fed the lines' levels at every change of enable or clock (levels), returns the
    transfers that ended there; finish returns one the capture's end cut off."""

    def __init__(self, seconds_per_tick, shortest_level_s):
        self.seconds_per_tick = seconds_per_tick
        self.shortest_level_s = shortest_level_s
        self.lines = None         # (enable, clock) as last seen
        self.since = [None, None]  # the tick each of them took its level; None: at the start
        self.current = None
        self.timing = []          # short levels seen between transfers, for the next one
        self.mid_frame = False    # the capture began with enable high: that frame is not whole

    def levels(self, tick, enable, clock, data_out, data_in):
        if self.lines is None:
            self.lines = (enable, clock)
            self.mid_frame = bool(enable)
            return []
        ended = []
        was_enable, was_clock = self.lines
        if enable != was_enable:
            self._level_ended(0, 'enable', was_enable, tick)
            if self.mid_frame:
                self.mid_frame = bool(enable)
            elif enable:
                self._transfer(tick).data_start = tick
            elif self.current:
                self.current.end, self.current.complete = tick, True
                ended.append(self.current)
                self.current = None
        if clock != was_clock:
            self._level_ended(1, 'clock', was_clock, tick)
            if clock and not self.mid_frame:
                if enable:
                    self._transfer(tick).data_bits.append((tick, data_out, data_in))
                else:
                    self._transfer(tick).address_bits.append((tick, data_out))
        self.lines = (enable, clock)
        return ended

    def finish(self, tick):
        transfer, self.current = self.current, None
        if transfer:
            transfer.end = tick
        return transfer

    def _transfer(self, tick):
        if self.current is None:
            self.current = Transfer(tick)
            self.current.timing, self.timing = self.timing, []
        return self.current

    def _level_ended(self, line, name, level, tick):
        """A level lasting n ticks lasted more than n - 1: flagged only when even n + 1 is short."""
        since, self.since[line] = self.since[line], tick
        if since is None or not self.seconds_per_tick:
            return
        length = (tick - since) * self.seconds_per_tick
        if length + self.seconds_per_tick < self.shortest_level_s:
            found = self.current.timing if self.current else self.timing
            found.append((since, tick, '%s %s for %.3f us, the shortest is %.1f us' % (
                name, 'high' if level else 'low', length * 1e6, self.shortest_level_s * 1e6)))
