"""The tuner's frames: its three registers, the fields of each, what their values mean, and
the pauses the library keeps between them. The sigrok decoder (pd.py) and k3bus both read
frames through FrameReader, so they name every frame alike.

The values are those of the library's Source/TarvenK3Cmd/TunerFrames.h and Radio.cpp. The
bring-up tests decode the library's own waveform and accept no flag, so a value changed
there and not here fails them.

Python 3.4, the version sigrok's Windows builds embed: no f-strings.
"""

DIVISOR_ADDRESS = 0x28  # written: divisor, the band's bytes 3-4
MODE_ADDRESS = 0x29     # written: tuning or counting
STATUS_ADDRESS = 0x2A   # read: indicator bit and channel count

RETRY_BITS = 0x0A     # set in byte 4 of the divisor frame: restarts the count
INDICATOR_BIT = 0x04  # in status byte 0: clear for FM stereo, set to count again

# The library's waits (Radio.cpp): after each count of a station detection, and between a
# count's retry frame and its second status read.
COUNT_WAIT_S = 0.035
RETRY_WAIT_S = 0.040

# The library changes one line per port write and never waits inside a transfer, so every
# level lasts at least one port access, an ISA-speed I/O cycle of about 1 us (as the
# simulator's waveform shows it). A level shorter than half of that is none of the library's:
# a glitch on the cable, or another program writing the port.
SHORTEST_LEVEL_S = 0.5e-6


class Band(object):
    def __init__(self, name, divisor_offset, byte3, byte4, tuning, counting, hits, unit_khz):
        self.name = name
        self.divisor_offset = divisor_offset  # 10.8 MHz in the band's unit
        self.divisor_bytes = (byte3, byte4)   # bytes 3-4 of its divisor frame
        self.retry_bytes = (byte3, byte4 | RETRY_BITS)
        self.tuning = tuning                  # its mode frames
        self.counting = counting
        self.hits = hits                      # channel counts that mean a station, both ends in
        self.unit_khz = unit_khz              # the frequency's unit

    def frequency(self, divisor):
        khz = (divisor - self.divisor_offset) * self.unit_khz
        return '%s %.2f MHz' % (self.name, khz / 1000.0) if self.name == 'FM' else '%s %d kHz' % (self.name, khz)


BANDS = (
    Band('FM', 1080, 0x8E, 0x70, (0xC3, 0x80, 0xC9, 0x01), (0xC3, 0xC1, 0xC9, 0x01), (43151, 43299), 10),
    Band('AM', 10800, 0xBD, 0x52, (0xC3, 0x82, 0xCA, 0x03), (0xC3, 0x83, 0xCA, 0x03), (3591, 3609), 1),
)


class Register(object):
    def __init__(self, address, name, read, fields):
        self.address = address
        self.name = name
        self.read = read          # read: six bytes from data_in, most significant bit first;
        self.fields = fields      # written: four on data_out, least significant bit first
        self.length = fields[-1][2]


# Fields: (name, first byte, byte after the last).
REGISTERS = {
    DIVISOR_ADDRESS: Register(DIVISOR_ADDRESS, 'divisor', False, (
        ('divisor', 0, 2), ('band byte 3', 2, 3), ('band byte 4', 3, 4))),
    MODE_ADDRESS: Register(MODE_ADDRESS, 'mode', False, (
        ('mode byte 1', 0, 1), ('mode byte 2', 1, 2), ('mode byte 3', 2, 3), ('mode byte 4', 3, 4))),
    STATUS_ADDRESS: Register(STATUS_ADDRESS, 'status', True, (
        ('indicator byte', 0, 1), ('channel count', 1, 4), ('bytes 5-6', 4, 6))),
}


def hex_bytes(values):
    return ' '.join('%02X' % v for v in values)


def channel_count(status):
    """Bits 19-12 in byte 1, 11-4 in byte 2, 3-0 in the high nibble of byte 3."""
    return status[1] * 4096 + status[2] * 16 + (status[3] >> 4)


def field_text(name, values):
    if name == 'divisor':
        return '0x%04X' % (values[0] | values[1] << 8)
    if name == 'channel count':
        return '%d' % channel_count([0] + values)
    if name == 'indicator byte':
        return '%02X (indicator %s)' % (values[0], 'set' if values[0] & INDICATOR_BIT else 'clear')
    return hex_bytes(values)


class Frame(object):
    """One transfer read as a frame. start and end are the transfer's ticks; time its start in
    seconds (None without a sample rate)."""

    def __init__(self, transfer, time):
        self.transfer = transfer
        self.start, self.end, self.time = transfer.start, transfer.end, time
        self.address = transfer.address()
        self.register = REGISTERS.get(self.address)
        self.values = []          # the bytes, whole ones only
        self.bits = len(transfer.data_bits)
        self.flags = [('timing', text, first, last) for first, last, text in transfer.timing]
        self.meaning = ''
        self.note = ''            # said after the meaning
        self.count_read = False   # a status read that takes a count, not a stereo read

    def name(self):
        return self.register.name if self.register else 'unknown'

    def describe(self):
        return self.meaning + self.note

    def text(self):
        address = '%02X' % self.address if self.address is not None else '--'
        return '%s: %s' % (address, hex_bytes(self.values))

    def flag(self, kind, text, first=None, last=None):
        """A flag on the ticks first to last, by default the whole frame."""
        self.flags.append((kind, text, self.start if first is None else first,
                           self.end if last is None else last))

    def fields(self):
        """(name, first byte, byte after the last, value as text) of each whole field."""
        if not self.register:
            return []
        return [(name, first, end, field_text(name, self.values[first:end]))
                for name, first, end in self.register.fields if end <= len(self.values)]


class FrameReader(object):
    """Reads transfers (bus.Transfer) as frames, in order, knowing what came before: the band
    of the last divisor or mode frame, whether a status read takes a count, the library's
    pauses. seconds_per_tick: None when the capture has no sample rate (no timing checks)."""

    def __init__(self, seconds_per_tick):
        self.seconds_per_tick = seconds_per_tick
        self.band = None
        self.previous = []  # the last two frames, most recent last

    def read(self, transfer):
        time = transfer.start * self.seconds_per_tick if self.seconds_per_tick else None
        frame = Frame(transfer, time)
        self._check_address(frame)
        if frame.register:
            frame.values = self._values(frame)
            if frame.bits != frame.register.length * 8:
                frame.flag('length', '%d data bits, a %s frame has %d' % (
                    frame.bits, frame.register.name, frame.register.length * 8))
            meaning = {DIVISOR_ADDRESS: self._divisor, MODE_ADDRESS: self._mode,
                       STATUS_ADDRESS: self._status}[frame.address]
            if len(frame.values) == frame.register.length:
                meaning(frame)
        else:
            frame.values = self._bytes([o for _, o, _ in transfer.data_bits], False)
        if not transfer.complete:
            frame.flag('length', 'cut off by the end of the capture')
        self._check_pause(frame)
        self.previous = (self.previous + [frame])[-2:]
        return frame

    def _check_address(self, frame):
        extra = frame.transfer.extra_edges()
        if extra not in (0, 1):
            frame.flag('length', 'address of %d bits' % len(frame.transfer.address_bits))
        elif frame.register is None:
            frame.flag('address', 'address %02X is none of the tuner\'s (%s)' % (
                frame.address, ', '.join('%02X' % a for a in sorted(REGISTERS))))
        if extra == 1:
            frame.note = ' (an extra clock edge before the address: the first transfer after the radio opened)'

    def _values(self, frame):
        bits = frame.transfer.data_bits
        if frame.register.read:
            return self._bytes([i for _, _, i in bits], True)
        return self._bytes([o for _, o, _ in bits], False)

    @staticmethod
    def _bytes(bits, msb_first):
        values = []
        for first in range(0, len(bits) - 7, 8):
            byte = bits[first:first + 8]
            order = reversed(byte) if msb_first else byte
            values.append(sum(bit << i for i, bit in enumerate(order)))
        return values

    def _divisor(self, frame):
        v = frame.values
        divisor = v[0] | v[1] << 8
        for band in BANDS:
            if tuple(v[2:]) in (band.divisor_bytes, band.retry_bytes):
                self.band = band
                retry = tuple(v[2:]) == band.retry_bytes
                frame.meaning = '%s (divisor 0x%04X)%s' % (
                    band.frequency(divisor), divisor, ', retry: restarts the count' if retry else '')
                return
        frame.flag('value', 'bytes 3-4 %s are neither band\'s' % hex_bytes(v[2:]))
        frame.meaning = 'divisor 0x%04X' % divisor

    def _mode(self, frame):
        for band in BANDS:
            for name, pattern in (('tuning', band.tuning), ('counting', band.counting)):
                if tuple(frame.values) == pattern:
                    self.band = band
                    frame.meaning = '%s, %s' % (band.name, name)
                    return
        frame.flag('value', 'no band\'s tuning or counting mode')

    def _status(self, frame):
        status = frame.values
        count = channel_count(status)
        indicator = bool(status[0] & INDICATOR_BIT)
        last = self.previous[-1] if self.previous else None
        frame.count_read = last is not None and (self._is_counting(last) or self._is_retry(last))
        station = ''
        if self.band:
            low, high = self.band.hits
            station = ': station' if low <= count <= high else ': no station'
            station += ' (%s %d-%d)' % (self.band.name, low, high)
        if frame.count_read:
            # The library retries a count once, on the first read's indicator bit only.
            again = indicator and not self._is_retry(last)
            frame.meaning = 'count %d (0x%05X)%s%s' % (
                count, count, station, ', indicator set: count again' if again else '')
        else:
            frame.meaning = 'stereo read: %s, count %d' % (
                'mono (indicator set)' if indicator else 'stereo (indicator clear)', count)

    @staticmethod
    def _is_counting(frame):
        return frame.address == MODE_ADDRESS and any(tuple(frame.values) == b.counting for b in BANDS)

    @staticmethod
    def _is_retry(frame):
        return frame.address == DIVISOR_ADDRESS and any(tuple(frame.values[2:]) == b.retry_bytes for b in BANDS)

    def _check_pause(self, frame):
        """The library waits RETRY_WAIT_S between a retry frame and the status read after it,
        and COUNT_WAIT_S after each count (its status read and the divisor frame after it),
        unless that count is retried."""
        if not self.seconds_per_tick or not self.previous:
            return
        last = self.previous[-1]
        before = self.previous[-2] if len(self.previous) > 1 else None
        if self._is_retry(last) and frame.address == STATUS_ADDRESS:
            wait, after = RETRY_WAIT_S, 'the retry frame'
        elif (last.address == DIVISOR_ADDRESS and not self._is_retry(last) and before is not None
              and before.count_read and not self._is_retry(frame)):
            wait, after = COUNT_WAIT_S, 'a count'
        else:
            return
        pause = (frame.start - last.end + 1) * self.seconds_per_tick
        if pause < wait:
            frame.flag('timing', 'pause of %.1f ms after %s, the library waits %d ms' % (
                pause * 1000, after, round(wait * 1000)), last.end, frame.start)
