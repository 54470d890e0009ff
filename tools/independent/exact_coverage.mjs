// Exact coverage of one placed shape, to tell which player is right where two pictures differ.
// Replays the main timeline's placements up to a frame, flattens the shape's curves finely (64
// pieces each), samples every pixel of a box 16 x 16 times (even-odd) and compares with the
// coverage each picture shows for a solid colour over a solid background. Not part of the stage.
//
//   node exact_coverage.mjs MOVIE.swf FRAME DEPTH X0 Y0 X1 Y1 INK BACKGROUND PICTURE.png...
//
// INK and BACKGROUND are #RRGGBB; the green channel is used. Edge pixels only (exact coverage
// between 0.02 and 0.98).
import { readFileSync } from "node:fs";
import { parseSwf, swf } from "swf-parser";
import { PNG } from "pngjs";

const [file, frameArg, depthArg, x0, y0, x1, y1, inkArg, bgArg, ...pictures] = process.argv.slice(2);
if (pictures.length === 0) {
  console.error("usage: node exact_coverage.mjs MOVIE.swf FRAME DEPTH X0 Y0 X1 Y1 #INK #BACKGROUND PICTURE.png...");
  process.exit(2);
}
const movie = parseSwf(new Uint8Array(readFileSync(file)));
const T = swf.TagType;
let frame = 0;
let placed = null;
for (const t of movie.tags) {
  if (t.type === T.ShowFrame && frame++ === Number(frameArg)) break;
  if (t.type === T.PlaceObject && t.depth === Number(depthArg)) {
    placed = { ...placed, ...(t.characterId !== undefined && { id: t.characterId }), ...(t.matrix && { m: t.matrix }) };
  } else if (t.type === T.RemoveObject && t.depth === Number(depthArg)) placed = null;
}
const shape = placed && movie.tags.find((t) => t.type === T.DefineShape && t.id === placed.id);
if (!shape) throw new Error(`no shape at depth ${depthArg} in frame ${frameArg}`);

const contours = [];
let x = 0, y = 0, cur = null;
for (const r of shape.shape.records) {
  if (r.type === swf.ShapeRecordType.StyleChange) {
    if (r.moveTo) { x = r.moveTo.x; y = r.moveTo.y; cur = [[x, y]]; contours.push(cur); }
    continue;
  }
  if (!cur) { cur = [[x, y]]; contours.push(cur); }
  if (r.controlDelta) {
    const cx = x + r.controlDelta.x, cy = y + r.controlDelta.y, ax = x + r.delta.x, ay = y + r.delta.y;
    for (let i = 1; i <= 64; i++) {
      const t = i / 64, u = 1 - t;
      cur.push([u * u * x + 2 * u * t * cx + t * t * ax, u * u * y + 2 * u * t * cy + t * t * ay]);
    }
    x = ax; y = ay;
  } else {
    x += r.delta.x; y += r.delta.y;
    cur.push([x, y]);
  }
}
const inside = (px, py) => {
  let odd = 0;
  for (const c of contours) for (let i = 0; i + 1 < c.length; i++) {
    const [ax, ay] = c[i], [bx, by] = c[i + 1];
    if ((ay <= py) !== (by <= py) && ax + ((py - ay) * (bx - ax)) / (by - ay) > px) odd ^= 1;
  }
  return odd;
};
const m = placed.m;
const [a, d, b, c] = [m.scaleX, m.scaleY, m.rotateSkew0, m.rotateSkew1].map((v) => v.epsilons / 65536);
const det = a * d - b * c;
const exact = (px, py) => {
  let n = 0;
  for (let i = 0; i < 16; i++) for (let j = 0; j < 16; j++) {
    const dx = (px + (i + 0.5) / 16) * 20 - m.translateX, dy = (py + (j + 0.5) / 16) * 20 - m.translateY;
    n += inside((d * dx - c * dy) / det, (-b * dx + a * dy) / det);
  }
  return n / 256;
};

const green = (hex) => parseInt(hex.replace("#", "").slice(2, 4), 16);
const [ink, bg] = [green(inkArg), green(bgArg)];
const images = pictures.map((p) => PNG.sync.read(readFileSync(p)));
const stats = images.map(() => ({ abs: 0, signed: 0, worst: 0, at: "" }));
let n = 0;
for (let py = Number(y0); py <= Number(y1); py++) for (let px = Number(x0); px <= Number(x1); px++) {
  const e = exact(px, py);
  if (e < 0.02 || e > 0.98) continue;
  n++;
  images.forEach((img, k) => {
    const got = (bg - img.data[4 * (py * img.width + px) + 1]) / (bg - ink);
    const s = stats[k];
    s.abs += Math.abs(got - e);
    s.signed += got - e;
    if (Math.abs(got - e) > s.worst) {
      s.worst = Math.abs(got - e);
      s.at = `(${px},${py}) exact ${e.toFixed(2)}, shown ${got.toFixed(2)}`;
    }
  });
}
stats.forEach((s, k) => console.log(`${pictures[k]}: ${n} edge pixels, mean |error| ${(s.abs / n).toFixed(3)}, ` +
  `mean signed ${(s.signed / n).toFixed(3)}, worst ${s.worst.toFixed(2)} at ${s.at}`));
