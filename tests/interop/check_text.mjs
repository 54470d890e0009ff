// Decodes an exported still-text movie with the independent parser `swf-parser` and compares its
// fonts, font infos, static texts, letter shapes, scene-link buttons and placements with
// hand-written expectations.
//
//   node check_text.mjs MOVIE.swf EXPECTED.json
//
// Prints one line per failed comparison and a closing "N passed, N failed" line; the exit status
// is 0 only when nothing failed. The script must sit beside the node_modules folder that holds
// the parser (the interop runner copies it there).
import { readFileSync } from "node:fs";
import { parseSwf, swf } from "swf-parser";

const [moviePath, expectedPath] = process.argv.slice(2);
const expected = JSON.parse(readFileSync(expectedPath, "utf8"));
const T = swf.TagType;
let passed = 0;
let failed = 0;
function check(what, actual, wanted) {
  const a = JSON.stringify(actual);
  const w = JSON.stringify(wanted);
  if (a === w) passed++;
  else {
    failed++;
    console.log(`FAIL ${moviePath}: ${what}\n  decoded:  ${a}\n  expected: ${w}`);
  }
}
const rgb = (c) => (c ? [c.r, c.g, c.b] : null);

try {
  const movie = parseSwf(new Uint8Array(readFileSync(moviePath)));
  const byId = (type, id) => movie.tags.find((t) => t.type === type && t.id === id);
  check("frame count", movie.header.frameCount, expected.frameCount);
  check("show frames", movie.tags.filter((t) => t.type === T.ShowFrame).length, expected.frameCount);

  check("fonts", movie.tags.filter((t) => t.type === T.DefineGlyphFont).map((t) => t.id),
    expected.fonts.map((f) => f.id));
  for (const f of expected.fonts) {
    const font = byId(T.DefineGlyphFont, f.id);
    const info = movie.tags.find((t) => t.type === T.DefineFontInfo && t.fontId === f.id);
    check(`font ${f.id} glyph count`, font?.glyphs.length, f.codes.length);
    check(`font ${f.id} info name`, info?.fontName, f.name);
    check(`font ${f.id} info codes`, info?.codeUnits, f.codes);
    // Every glyph but the space has an outline.
    check(`font ${f.id} glyphs with outlines`,
      font?.glyphs.map((g) => g.records.some((r) => r.type === swf.ShapeRecordType.Edge)),
      f.codes.map((c) => c !== 32));
  }

  check("texts", movie.tags.filter((t) => t.type === T.DefineText).map((t) => t.id),
    expected.texts.map((t) => t.id));
  for (const t of expected.texts) {
    const tag = byId(T.DefineText, t.id);
    if (!tag) continue;
    const [first, ...rest] = tag.records;
    check(`text ${t.id} font, height, colour`, [first.fontId, first.fontSize, rgb(first.color)],
      [t.font, t.height, t.color]);
    check(`text ${t.id} later records keep font and colour`,
      rest.map((r) => [r.fontId ?? null, rgb(r.color)]), rest.map(() => [null, null]));
    // The parser reports an offset a record does not set as 0.
    check(`text ${t.id} records (pen offsets, glyph indices and advances)`,
      tag.records.map((r) => ({ x: r.offsetX, y: r.offsetY, glyphs: r.entries.map((e) => [e.index, e.advance]) })),
      t.records.map((r) => ({ x: r.x ?? 0, y: r.y ?? 0, glyphs: r.glyphs })));
    const font = expected.fonts.find((f) => f.id === t.font);
    check(`text ${t.id} glyph indices inside its font`,
      tag.records.every((r) => r.entries.every((e) => e.index < font.codes.length)), true);
  }

  check("shapes", movie.tags.filter((t) => t.type === T.DefineShape).map((t) => t.id),
    expected.shapes.map((s) => s.id));
  for (const s of expected.shapes) {
    const tag = byId(T.DefineShape, s.id);
    if (!tag) continue;
    check(`shape ${s.id} bounds`, [tag.bounds.xMin, tag.bounds.xMax, tag.bounds.yMin, tag.bounds.yMax], s.bounds);
    check(`shape ${s.id} fill`, tag.shape.initialStyles.fill.map((f) => rgb(f.color)), [s.fill]);
  }

  // Scene links: a button with only a hit area whose release (over-down to over-up) opens a URL.
  check("buttons", movie.tags.filter((t) => t.type === T.DefineButton).map((t) => t.id),
    (expected.buttons ?? []).map((b) => b.id));
  for (const b of expected.buttons ?? []) {
    const tag = byId(T.DefineButton, b.id);
    if (!tag) continue;
    check(`button ${b.id} records`, tag.records.map((r) =>
      [r.stateUp, r.stateOver, r.stateDown, r.stateHitTest, r.characterId]), [[false, false, false, true, b.hitArea]]);
    const url = Buffer.from(`${b.url}\0${b.target}\0`, "latin1");
    const getUrl = [0x83, url.length & 255, url.length >> 8, ...url, 0x00];
    check(`button ${b.id} actions`, (tag.actions ?? []).map((a) =>
      [Object.keys(a.conditions).filter((k) => a.conditions[k]), [...a.actions].slice(0, getUrl.length)]),
    [[["overDownToOverUp"], getUrl]]);
  }

  // Placements and removals of the main timeline, by frame.
  let frame = 0;
  const places = [];
  const removes = [];
  for (const t of movie.tags) {
    if (t.type === T.ShowFrame) frame++;
    else if (t.type === T.PlaceObject && !t.isUpdate) {
      const m = t.matrix;
      check(`placement at depth ${t.depth} is unscaled and unrotated`,
        [m.scaleX.epsilons, m.scaleY.epsilons, m.rotateSkew0.epsilons, m.rotateSkew1.epsilons], [65536, 65536, 0, 0]);
      places.push({ frame, depth: t.depth, id: t.characterId, x: m.translateX, y: m.translateY });
    } else if (t.type === T.RemoveObject) removes.push({ frame, depth: t.depth });
  }
  check("placements", places, expected.places);
  check("removals", removes, expected.removes);
} catch (e) {
  failed++;
  console.log(`FAIL ${moviePath}: decoding: ${e.stack ?? e}`);
}
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
