#!/usr/bin/env python3
"""Makes the sound fixtures of the sound tests (run from any folder; needs sox and lame).

ADPCM: a tone made by sox is coded with an IMA ADPCM coder below (4 bits per code). The same
codes are written twice: as SWF ADPCM packets (what the player decodes) and as single-block IMA
ADPCM WAV files, one per packet, which sox decodes to give the reference samples. The decoder
under test must reproduce sox's decode exactly.

MP3: a tone made by sox is encoded by lame without an info tag (as sounds inside SWF movies
are); lame's own decoder gives the reference.
"""
import os
import struct
import subprocess
import tempfile
import wave

HERE = os.path.dirname(os.path.abspath(__file__))

STEPS = [7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 19, 21, 23, 25, 28, 31, 34, 37, 41, 45, 50, 55,
         60, 66, 73, 80, 88, 97, 107, 118, 130, 143, 157, 173, 190, 209, 230, 253, 279, 307,
         337, 371, 408, 449, 494, 544, 598, 658, 724, 796, 876, 963, 1060, 1166, 1282, 1411,
         1552, 1707, 1878, 2066, 2272, 2499, 2749, 3024, 3327, 3660, 4026, 4428, 4871, 5358,
         5894, 6484, 7132, 7845, 8630, 9493, 10442, 11487, 12635, 13899, 15289, 16818, 18500,
         20350, 22385, 24623, 27086, 29794, 32767]
INDEX4 = [-1, -1, -1, -1, 2, 4, 6, 8]
PACKET = 4096


def run(*args):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def tone(path, rate, channels, seconds, synth):
    run("sox", "-n", "-r", str(rate), "-c", str(channels), "-b", "16", path, "synth",
        str(seconds), *synth, "vol", "0.7")


def read_wav(path):
    with wave.open(path) as w:
        n, ch = w.getnframes(), w.getnchannels()
        data = struct.unpack("<%dh" % (n * ch), w.readframes(n))
    return [list(data[c::ch]) for c in range(ch)]


def encode(samples, pred, index):
    """IMA ADPCM codes for samples[1:], starting from (pred, index)."""
    codes = []
    for s in samples[1:]:
        step = STEPS[index]
        diff = s - pred
        code = 8 if diff < 0 else 0
        diff = abs(diff)
        delta = step >> 3
        for bit, shift in ((4, 0), (2, 1), (1, 2)):
            if diff >= (step >> shift):
                code |= bit
                diff -= step >> shift
                delta += step >> shift
        pred = max(-32768, min(32767, pred - delta if code & 8 else pred + delta))
        index = max(0, min(88, index + INDEX4[code & 7]))
        codes.append(code)
    return codes


class Bits:
    def __init__(self):
        self.out, self.acc, self.n = bytearray(), 0, 0

    def put(self, value, n):
        for i in range(n - 1, -1, -1):
            self.acc = (self.acc << 1) | ((value >> i) & 1)
            self.n += 1
            if self.n == 8:
                self.out.append(self.acc)
                self.acc, self.n = 0, 0

    def take(self):
        if self.n:
            self.out.append(self.acc << (8 - self.n))
        return bytes(self.out)


def ima_wav(path, rate, headers, codes):
    """One IMA ADPCM block per file, holding `headers` (pred, index) and `codes` per channel."""
    ch = len(headers)
    body = bytearray()
    for pred, index in headers:
        body += struct.pack("<hBB", pred, index, 0)
    if ch == 1:
        c = codes[0] + [0] * (len(codes[0]) % 2)
        for i in range(0, len(c), 2):
            body.append(c[i] | (c[i + 1] << 4))
    else:
        n = len(codes[0])
        padded = [cc + [0] * ((-n) % 8) for cc in codes]
        for g in range(0, len(padded[0]), 8):
            for cc in padded:
                for i in range(g, g + 8, 2):
                    body.append(cc[i] | (cc[i + 1] << 4))
    block_align = len(body)
    per_block = (block_align - 4 * ch) * 8 // (4 * ch) + 1
    fmt = struct.pack("<HHIIHHHH", 0x11, ch, rate, rate * block_align // per_block, block_align,
                      4, 2, per_block)
    data = b"RIFF" + struct.pack("<I", 4 + 8 + len(fmt) + 8 + 4 + 8 + len(body)) + b"WAVE"
    data += b"fmt " + struct.pack("<I", len(fmt)) + fmt
    data += b"fact" + struct.pack("<II", 4, per_block)
    data += b"data" + struct.pack("<I", len(body)) + body
    with open(path, "wb") as f:
        f.write(data)


def adpcm_fixture(name, rate, channels, frames, synth, tmp):
    src = os.path.join(tmp, name + ".wav")
    tone(src, rate, channels, frames / rate + 0.01, synth)
    chans = [c[:frames] for c in read_wav(src)]
    bits = Bits()
    bits.put(2, 2)  # 4-bit codes
    reference = []
    for p, start in enumerate(range(0, frames, PACKET)):
        parts = [c[start:start + PACKET] for c in chans]
        headers = []
        for c in parts:
            index = 20 if p == 0 else 30  # any start index is valid; vary it
            headers.append((c[0], index))
            bits.put(c[0] & 0xFFFF, 16)
            bits.put(index, 6)
        codes = [encode(c, h[0], h[1]) for c, h in zip(parts, headers)]
        for i in range(len(codes[0])):
            for cc in codes:
                bits.put(cc[i], 4)
        wav = os.path.join(tmp, "%s_%d_ima.wav" % (name, p))
        ima_wav(wav, rate, headers, codes)
        dec = os.path.join(tmp, "%s_%d_dec.wav" % (name, p))
        run("sox", wav, "-b", "16", "-e", "signed-integer", dec)
        decoded = read_wav(dec)
        n = len(parts[0])
        for i in range(n):
            for c in range(channels):
                reference.append(decoded[c][i])
    with open(os.path.join(HERE, name + ".adpcm"), "wb") as f:
        f.write(bits.take())
    with open(os.path.join(HERE, name + ".ref.s16"), "wb") as f:
        f.write(struct.pack("<%dh" % len(reference), *reference))


def mp3_fixture(name, rate, channels, seconds, synth, bitrate, tmp):
    src = os.path.join(tmp, name + ".wav")
    tone(src, rate, channels, seconds, synth)
    mp3 = os.path.join(HERE, name + ".mp3")
    run("lame", "-t", "--cbr", "-b", str(bitrate), "-m", "m" if channels == 1 else "j", src, mp3)
    dec = os.path.join(tmp, name + "_dec.wav")
    run("lame", "--decode", mp3, dec)
    samples = read_wav(dec)
    inter = [samples[c][i] for i in range(len(samples[0])) for c in range(channels)]
    with open(os.path.join(HERE, name + ".ref.s16"), "wb") as f:
        f.write(struct.pack("<%dh" % len(inter), *inter))


def main():
    with tempfile.TemporaryDirectory() as tmp:
        adpcm_fixture("tone_mono", 22050, 1, PACKET + 1000, ["sine", "300-3000"], tmp)
        adpcm_fixture("tone_stereo", 11025, 2, PACKET + 300,
                      ["sine", "440", "sine", "1500-200"], tmp)
        mp3_fixture("tone_mp3", 22050, 1, 0.3, ["sine", "660"], 32, tmp)


if __name__ == "__main__":
    main()
