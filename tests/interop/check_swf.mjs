// Decodes an SWF movie with the independent parser `swf-parser` and compares it with the JSON
// of what the writer meant (written beside the movie by the interop test program).
//
//   node check_swf.mjs MOVIE.swf EXPECTED.json
//
// Prints one line per failed comparison and a closing "N passed, N failed" line; the exit status
// is 0 only when nothing failed. The script must sit beside the node_modules folder that holds
// the parser (the interop runner copies it there).
import { readFileSync } from "node:fs";
import { parseSwf, swf } from "swf-parser";

const [moviePath, expectedPath] = process.argv.slice(2);
const expected = JSON.parse(readFileSync(expectedPath, "utf8"));
const movie = parseSwf(new Uint8Array(readFileSync(moviePath)));
const T = swf.TagType;

let passed = 0;
let failed = 0;
// JSON with object keys in sorted order, so that key order never decides a comparison.
function canonical(v) {
  return JSON.stringify(v, (k, x) =>
    x && typeof x === "object" && !Array.isArray(x)
      ? Object.fromEntries(Object.keys(x).sort().map((key) => [key, x[key]]))
      : x);
}
function check(what, actual, wanted) {
  const a = canonical(actual);
  const w = canonical(wanted);
  if (a === w) {
    passed++;
  } else {
    failed++;
    console.log(`FAIL ${what}\n  decoded:  ${a}\n  expected: ${w}`);
  }
}

const rgb = (c) => [c.r, c.g, c.b];
const rect = (r) => [r.xMin, r.yMin, r.xMax, r.yMax];
const fits17 = (v) => v >= -65535 && v <= 65535;

// Action records: a code byte, then for codes from 0x80 a UI16 length and that many bytes. The
// list ends at a zero byte; bytes after it (closing records of a button) are not actions.
function decodeActions(bytes) {
  const out = [];
  let i = 0;
  const u16 = (at) => bytes[at] | (bytes[at + 1] << 8);
  const str = (from, end) => {
    const zero = bytes.indexOf(0, from);
    if (zero < 0 || zero >= end) throw new Error("string without terminator inside its record");
    return [Buffer.from(bytes.slice(from, zero)).toString("latin1"), zero + 1];
  };
  for (;;) {
    if (i >= bytes.length) throw new Error("action list without its end byte");
    const code = bytes[i++];
    if (code === 0) return out;
    if (code < 0x80) {
      const names = { 0x04: "NextFrame", 0x05: "PreviousFrame", 0x06: "Play", 0x07: "Stop" };
      out.push({ action: names[code] ?? `Unknown${code}` });
      continue;
    }
    const length = u16(i);
    const start = i + 2;
    const end = start + length;
    if (end > bytes.length) throw new Error(`action 0x${code.toString(16)} runs past its list`);
    if (code === 0x81) {
      if (length !== 2) throw new Error("go to frame with a length other than 2");
      out.push({ action: "GotoFrame", frame: u16(start) });
    } else if (code === 0x8c) {
      const [label, after] = str(start, end);
      if (after !== end) throw new Error("go to label length disagrees with its label");
      out.push({ action: "GotoLabel", label });
    } else if (code === 0x83) {
      const [url, mid] = str(start, end);
      const [target, after] = str(mid, end);
      if (after !== end) throw new Error("get URL length disagrees with its strings");
      out.push({ action: "GetUrl", url, target });
    } else {
      out.push({ action: `Unknown${code}` });
    }
    i = end;
  }
}

// Pen positions after each record of a shape, one list per contour; edges are checked against
// the 17 bits an edge record can hold.
function walkShape(records, what) {
  const contours = [];
  const curves = [];
  let x = 0;
  let y = 0;
  for (const r of records) {
    if (r.type === swf.ShapeRecordType.StyleChange) {
      if (r.moveTo) {
        x = r.moveTo.x;
        y = r.moveTo.y;
        contours.push([[x, y]]);
      }
      continue;
    }
    const c = r.controlDelta;
    const deltas = c ? [c.x, c.y, r.delta.x - c.x, r.delta.y - c.y] : [r.delta.x, r.delta.y];
    if (!deltas.every(fits17)) {
      failed++;
      console.log(`FAIL ${what}: an edge delta beyond 17 bits: ${JSON.stringify(r)}`);
    }
    if (c) curves.push([x + c.x, y + c.y]);
    x += r.delta.x;
    y += r.delta.y;
    if (contours.length === 0) contours.push([[0, 0]]);
    contours[contours.length - 1].push([x, y]);
  }
  return { contours, curves };
}

// With `split`, the expected points must appear in order among the decoded ones (long edges come
// as several pieces); otherwise the lists must be equal.
function checkOutline(what, decoded, wanted, split) {
  if (!split) return check(what, decoded, wanted);
  const ok =
    decoded.length === wanted.length &&
    wanted.every((points, k) => {
      let at = 0;
      for (const p of points) {
        while (at < decoded[k].length && JSON.stringify(decoded[k][at]) !== JSON.stringify(p)) at++;
        if (at === decoded[k].length) return false;
        at++;
      }
      return at === decoded[k].length;
    });
  check(`${what} (pieces end on the meant points)`, ok, true);
}

function tagsOf(type) {
  return movie.tags.filter((t) => t.type === type);
}
function byId(type, id) {
  return movie.tags.find((t) => t.type === type && t.id === id);
}

try {
  check("frame count", movie.header.frameCount, expected.frameCount);
  check("background", rgb(tagsOf(T.SetBackgroundColor)[0].color), expected.background);
  check("show frames", tagsOf(T.ShowFrame).length, expected.frameCount);

  for (const s of expected.shapes) {
    const tag = byId(T.DefineShape, s.id);
    check(`shape ${s.id} present`, !!tag, true);
    if (!tag) continue;
    check(`shape ${s.id} bounds`, rect(tag.bounds), s.bounds);
    const fills = tag.shape.initialStyles.fill.map((f) => rgb(f.color));
    check(`shape ${s.id} fills`, fills, s.fill ? [s.fill] : []);
    const lines = tag.shape.initialStyles.line.map((l) => [l.width, ...rgb(l.fill.color)]);
    check(`shape ${s.id} lines`, lines, s.line ? [s.line] : []);
    const walked = walkShape(tag.shape.records, `shape ${s.id}`);
    checkOutline(`shape ${s.id} outline`, walked.contours, s.outline, s.split);
    if (s.curves) check(`shape ${s.id} curve controls`, walked.curves, s.curves);
  }

  const sprite = byId(T.DefineSprite, expected.sprite.id);
  check("sprite present", !!sprite, true);
  if (sprite) {
    check("sprite frame count", sprite.frameCount, expected.sprite.frameCount);
    const places = sprite.tags
      .filter((t) => t.type === T.PlaceObject)
      .map((t) => ({ depth: t.depth, id: t.characterId, tx: t.matrix.translateX, ty: t.matrix.translateY }));
    check("sprite placements", places, expected.sprite.places);
    check("sprite ends with its frame", sprite.tags[sprite.tags.length - 1].type, T.ShowFrame);
  }

  const conditionBits = {
    idleToOverUp: 1, overUpToIdle: 2, overUpToOverDown: 4, overDownToOverUp: 8,
    overDownToOutDown: 16, outDownToOverDown: 32, outDownToIdle: 64, idleToOverDown: 128,
    overDownToIdle: 256,
  };
  for (const b of expected.buttons) {
    const tag = byId(T.DefineButton, b.id);
    check(`button ${b.id} present`, !!tag, true);
    if (!tag) continue;
    check(`button ${b.id} menu flag`, tag.trackAsMenu, false);
    const records = tag.records.map((r) => ({
      states: (r.stateUp ? 1 : 0) | (r.stateOver ? 2 : 0) | (r.stateDown ? 4 : 0) | (r.stateHitTest ? 8 : 0),
      id: r.characterId,
      depth: r.depth,
    }));
    check(`button ${b.id} records`, records, b.records.map((r) => ({ ...r, depth: 1 })));
    let conds = (tag.actions ?? []).map((c) => ({
      conditions: Object.entries(conditionBits).reduce((sum, [k, bit]) => sum + (c.conditions[k] ? bit : 0), 0),
      actions: decodeActions(c.actions),
    }));
    // The empty record that closes every list carries no condition and no action.
    if (conds.length && conds[conds.length - 1].conditions === 0 && conds[conds.length - 1].actions.length === 0)
      conds = conds.slice(0, -1);
    check(`button ${b.id} condition records`, conds, b.conditions);
  }

  const font = byId(T.DefineGlyphFont, expected.font.id);
  check("font present", !!font, true);
  if (font) {
    const outlines = font.glyphs.map((g, k) => walkShape(g.records, `glyph ${k}`).contours);
    check("font glyph outlines", outlines, expected.font.glyphs);
  }
  const info = tagsOf(T.DefineFontInfo).find((t) => t.fontId === expected.font.id);
  check("font info present", !!info, true);
  if (info) {
    check("font info name", info.fontName, expected.font.name);
    check("font info codes", info.codeUnits, expected.font.codes);
    check("font info flags", [info.isBold, info.isItalic, info.isAnsi, info.isShiftJis, info.isSmall], [false, false, false, false, false]);
  }

  for (const t of expected.texts) {
    const tag = byId(T.DefineText, t.id);
    check(`text ${t.id} present`, !!tag, true);
    if (!tag) continue;
    check(`text ${t.id} bounds`, rect(tag.bounds), t.bounds);
    const first = tag.records[0];
    check(`text ${t.id} style`, [first.fontId, first.fontSize, rgb(first.color)], [t.fontId, t.height, t.color]);
    check(`text ${t.id} later records set no font or colour`,
      tag.records.slice(1).every((r) => r.fontId === undefined && r.color === undefined), true);
    // The parser reports an offset a record does not set as 0.
    const records = tag.records.map((r) => ({ x: r.offsetX, y: r.offsetY, glyphs: r.entries.map((e) => [e.index, e.advance]) }));
    check(`text ${t.id} records`, records,
      t.records.map((r) => ({ x: r.x ?? 0, y: r.y ?? 0, glyphs: r.glyphs })));
  }

  const doActions = tagsOf(T.DoAction).map((t) => decodeActions(t.actions));
  check("frame actions", doActions, expected.doActions);
} catch (e) {
  failed++;
  console.log(`FAIL decoding: ${e.stack ?? e}`);
}

console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
