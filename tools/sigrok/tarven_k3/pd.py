# The sigrok face of the tuner's frames: feeds the lines' levels at each edge of enable or
# clock to bus.LineReader, reads its transfers with frames.FrameReader and shows what they say.
# Python 3.4, the version sigrok's Windows builds embed: no f-strings.
import sigrokdecode as srd

from . import frames
from .bus import LineReader

ENABLE, CLOCK = 0, 1  # channel indexes, as in channels below


class Decoder(srd.Decoder):
    api_version = 3
    id = 'tarven_k3'
    name = 'TARVEN K3'
    longname = 'TARVEN K3 tuner bus'
    desc = 'Radio tuner frames of the TARVEN K3 unit on the parallel port.'
    license = 'mit'
    inputs = ['logic']
    outputs = []
    tags = ['Embedded/industrial']
    channels = (
        {'id': 'enable', 'name': 'Enable', 'desc': 'Enable (data register bit 0, pin 2)'},
        {'id': 'clock', 'name': 'Clock', 'desc': 'Clock (data register bit 2, pin 4)'},
        {'id': 'data_out', 'name': 'Data out', 'desc': 'PC to tuner (data register bit 1, pin 3)'},
        {'id': 'data_in', 'name': 'Data in', 'desc': 'Tuner to PC (status register bit 6, pin 10)'},
    )
    annotations = (
        ('bit', 'Bit'),
        ('address', 'Address'),
        ('field', 'Field'),
        ('frame', 'Frame'),
        ('flag', 'Flag'),
    )
    annotation_rows = (
        ('bits', 'Bits', (0,)),
        ('fields', 'Fields', (1, 2)),
        ('frames', 'Frames', (3,)),
        ('flags', 'Flags', (4,)),
    )

    def __init__(self):
        self.reset()

    def reset(self):
        self.samplerate = None

    def metadata(self, key, value):
        if key == srd.SRD_CONF_SAMPLERATE:
            self.samplerate = value

    def start(self):
        self.out_ann = self.register(srd.OUTPUT_ANN)

    def decode(self):
        seconds_per_tick = 1.0 / self.samplerate if self.samplerate else None
        lines = LineReader(seconds_per_tick, frames.SHORTEST_LEVEL_S)
        reader = frames.FrameReader(seconds_per_tick)
        pins = self.wait({})
        while True:
            for transfer in lines.levels(self.samplenum, *pins):
                self.show(reader.read(transfer))
            pins = self.wait([{ENABLE: 'e'}, {CLOCK: 'e'}])

    def show(self, frame):
        transfer = frame.transfer
        read = frame.register is not None and frame.register.read
        bits = transfer.address_bits[max(transfer.extra_edges(), 0):]  # the address's eight, if any
        ticks = [t for t, _ in bits] + [t for t, _, _ in transfer.data_bits] + [frame.end]
        values = [b for _, b in bits] + [i if read else o for _, o, i in transfer.data_bits]
        for i, value in enumerate(values):
            self.put(ticks[i], ticks[i + 1], self.out_ann, [0, ['%d' % value]])
        if frame.address is not None:
            name = frame.name()
            self.put(ticks[0], ticks[len(bits)], self.out_ann,
                     [1, ['Address %02X: %s' % (frame.address, name), '%02X %s' % (frame.address, name),
                          '%02X' % frame.address]])
        data = ticks[len(bits):]
        for name, first, end, text in frame.fields():
            self.put(data[first * 8], data[end * 8], self.out_ann,
                     [2, ['%s: %s' % (name, text), text]])
        self.put(frame.start, frame.end, self.out_ann,
                 [3, ['%s %s %s' % (frame.name(), frame.text(), frame.describe()), frame.text(), frame.name()]])
        for kind, text, first, last in frame.flags:
            self.put(first, last, self.out_ann, [4, ['%s: %s' % (kind, text), kind]])
