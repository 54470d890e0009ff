// Raw SWF tag handling for the independent checks: reads the header of an uncompressed movie and
// makes a copy that stops at a chosen frame. Every length is checked against the bytes there.

const SHOW_FRAME = 1;
const DO_ACTION = 12;

function fail(what) {
  throw new Error(`not a readable SWF movie: ${what}`);
}

// Header fields and the offset of the first tag.
export function readHeader(bytes) {
  if (bytes.length < 9 || bytes[0] !== 0x46 || bytes[1] !== 0x57 || bytes[2] !== 0x53)
    fail("no FWS signature (compressed movies are not handled)");
  const nbits = bytes[8] >> 3;
  const rectBytes = Math.ceil((5 + 4 * nbits) / 8);
  const after = 8 + rectBytes;
  if (after + 4 > bytes.length) fail("header cut short");
  let bit = 5;
  const field = () => {
    let v = 0;
    for (let k = 0; k < nbits; k++, bit++) v = v * 2 + ((bytes[8 + (bit >> 3)] >> (7 - (bit & 7))) & 1);
    return nbits > 0 && v >= 2 ** (nbits - 1) ? v - 2 ** nbits : v;
  };
  const [xMin, xMax, yMin, yMax] = [field(), field(), field(), field()];
  return {
    version: bytes[3],
    fileLength: bytes.readUInt32LE(4),
    xMin, xMax, yMin, yMax,
    width: Math.round((xMax - xMin) / 20),
    height: Math.round((yMax - yMin) / 20),
    rateOffset: after,
    rate: bytes.readUInt16LE(after) / 256,
    frameCount: bytes.readUInt16LE(after + 2),
    firstTag: after + 4,
  };
}

// The top-level tags as { code, start, end } (start of the tag header, end of its body).
export function readTags(bytes) {
  const header = readHeader(bytes);
  const limit = Math.min(bytes.length, header.fileLength);
  const tags = [];
  let at = header.firstTag;
  while (at + 2 <= limit) {
    const word = bytes.readUInt16LE(at);
    const code = word >> 6;
    let length = word & 0x3f;
    let body = at + 2;
    if (length === 0x3f) {
      if (at + 6 > limit) fail(`long tag header cut short at offset ${at}`);
      length = bytes.readUInt32LE(at + 2);
      body = at + 6;
    }
    if (body + length > limit) fail(`tag ${code} at offset ${at} runs past the end`);
    tags.push({ code, start: at, end: body + length });
    at = body + length;
    if (code === 0) break;
  }
  return { header, tags };
}

// A copy of the movie whose main timeline stops at frame `frame` (counted from 0): a DoAction
// tag holding Stop goes just before that frame's ShowFrame, after the frame's own tags, and the
// file length in the header is corrected. With `rate`, the header's frame rate is replaced too,
// so the player reaches a late frame sooner; the pictures do not depend on it.
export function stopAtFrame(bytes, frame, rate) {
  const { header, tags } = readTags(bytes);
  let shown = 0;
  const show = tags.find((t) => t.code === SHOW_FRAME && shown++ === frame);
  if (!show) fail(`frame ${frame} is past the movie's ${shown} frames`);
  const stop = Buffer.from([(DO_ACTION << 6) | 2, DO_ACTION >> 2, 0x07, 0x00]);
  const out = Buffer.concat([bytes.subarray(0, show.start), stop, bytes.subarray(show.start)]);
  out.writeUInt32LE(out.length, 4);
  if (rate !== undefined) out.writeUInt16LE(Math.round(rate * 256), header.rateOffset);
  return out;
}

// Frame numbers of the main timeline that hold a DoAction of their own.
export function framesWithActions(bytes) {
  const { tags } = readTags(bytes);
  const frames = [];
  let frame = 0;
  for (const t of tags) {
    if (t.code === SHOW_FRAME) frame++;
    else if (t.code === DO_ACTION && !frames.includes(frame)) frames.push(frame);
  }
  return frames;
}
