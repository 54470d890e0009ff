// Tests of the raw SWF handling behind the web player's frame pictures (tools/independent/swf.mjs).
// Movies and expected bytes are written out by hand.
//
//   node --test swf_test.mjs   (TAVRO_TOOLS names the folder of swf.mjs; default ../../tools/independent)
import { test } from "node:test";
import assert from "node:assert/strict";
import { join, dirname } from "node:path";
import { fileURLToPath, pathToFileURL } from "node:url";

const tools = process.env.TAVRO_TOOLS ?? join(dirname(fileURLToPath(import.meta.url)), "../../tools/independent");
const { readHeader, stopAtFrame, framesWithActions } = await import(pathToFileURL(join(tools, "swf.mjs")).href);

// FWS 3, RECT with 15-bit fields 0..11000, 0..8000 twips (550 x 400 px), 12 fps, 2 frames.
const header = [0x46, 0x57, 0x53, 0x03, 0, 0, 0, 0,
  0x78, 0x00, 0x05, 0x5f, 0x00, 0x00, 0x0f, 0xa0, 0x00, 0x00, 0x0c, 0x02, 0x00];
const background = [0x43, 0x02, 0xff, 0xff, 0xcc]; // SetBackgroundColor (9), 3 bytes
const showFrame = [0x40, 0x00];
const end = [0x00, 0x00];
const stop = [0x02, 0x03, 0x07, 0x00]; // DoAction (12), 2 bytes: Stop, end of actions
// RemoveObject2 (28) at depth 1, in the long form: code 28, length 0x3f, then UI32 length 2.
const longRemove = [0x3f, 0x07, 0x02, 0x00, 0x00, 0x00, 0x01, 0x00];

function movie(...parts) {
  const bytes = Buffer.from(parts.flat());
  bytes.writeUInt32LE(bytes.length, 4);
  return bytes;
}

test("header fields", () => {
  const h = readHeader(movie(header, background, showFrame, showFrame, end));
  assert.deepEqual([h.version, h.xMin, h.xMax, h.yMin, h.yMax, h.width, h.height, h.rate, h.frameCount, h.firstTag],
    [3, 0, 11000, 0, 8000, 550, 400, 12, 2, 21]);
});

test("stop goes before the chosen frame's ShowFrame and the length is corrected", () => {
  const source = movie(header, background, showFrame, longRemove, showFrame, end);
  const first = movie(header, background, stop, showFrame, longRemove, showFrame, end);
  const second = movie(header, background, showFrame, longRemove, stop, showFrame, end);
  assert.deepEqual(stopAtFrame(source, 0), first);
  assert.deepEqual(stopAtFrame(source, 1), second);
  assert.equal(stopAtFrame(source, 1).readUInt32LE(4), source.length + 4);
  // With a rate, the 8.8 frame rate field changes too: 60 fps = 0x3c00.
  const faster = stopAtFrame(source, 0, 60);
  assert.deepEqual([...faster.subarray(17, 19)], [0x00, 0x3c]);
  assert.deepEqual(faster.subarray(19), first.subarray(19));
});

test("damaged movies and frames past the end are refused", () => {
  const source = movie(header, background, showFrame, end);
  assert.throws(() => stopAtFrame(source, 1), /past the movie's 1 frames/);
  const cut = movie(header, [0x43, 0x02, 0xff]); // SetBackgroundColor promising 3 bytes, 1 there
  assert.throws(() => stopAtFrame(cut, 0), /runs past the end/);
  const cutLong = movie(header, [0x3f, 0x07, 0x02]); // long header cut short
  assert.throws(() => stopAtFrame(cutLong, 0), /long tag header cut short/);
  assert.throws(() => readHeader(Buffer.from("CWS\x03\x00\x00\x00\x00")), /no FWS signature/);
  assert.throws(() => readHeader(Buffer.from([0x46, 0x57, 0x53, 3, 0, 0, 0, 0, 0xf8])), /header cut short/);
});

test("tags past the header's file length are not read", () => {
  const source = movie(header, background, showFrame, end);
  const padded = Buffer.concat([source, Buffer.from([0x40, 0x00])]); // a stray ShowFrame after the end
  assert.throws(() => stopAtFrame(padded, 1), /past the movie's 1 frames/);
});

test("frames holding actions", () => {
  const source = movie(header, background, showFrame, stop, showFrame, end);
  assert.deepEqual(framesWithActions(source), [1]);
  assert.deepEqual(framesWithActions(movie(header, showFrame, end)), []);
});
