// Measures how exactly each player places anti-aliased edges, on two made-up movies whose exact
// pixel coverage is known: 20 rectangles whose left edges step by one twip (1/20 pixel), and an
// arch whose top edge is one quadratic curve. Not part of the test stage: it prints numbers for
// docs/independent-checks.md.
//
//   node probe_edges.mjs CLI OUT_DIR
import { writeFileSync, readFileSync, mkdirSync } from "node:fs";
import { execFileSync } from "node:child_process";
import { join } from "node:path";
import { PNG } from "pngjs";
import { launch, renderFrames } from "./player.mjs";

class Bits {
  constructor() { this.bytes = []; this.acc = 0; this.n = 0; }
  u(v, n) {
    for (let i = n - 1; i >= 0; i--) {
      this.acc = (this.acc << 1) | ((v >>> i) & 1);
      if (++this.n === 8) { this.bytes.push(this.acc); this.acc = 0; this.n = 0; }
    }
  }
  s(v, n) { this.u(v < 0 ? v + 2 ** n : v, n); }
  done() { if (this.n) this.u(0, 8 - this.n); return this.bytes; }
}
const rect = (x0, x1, y0, y1) => { const b = new Bits(); b.u(16, 5); for (const v of [x0, x1, y0, y1]) b.s(v, 16); return b.done(); };
const tag = (code, body) => [((code << 6) | body.length) & 255, ((code << 6) | body.length) >> 8, ...body];
// One filled shape (black, fill style 1 on the right of its edges) from a move and a list of
// edges: [dx, dy] straight, [cx, cy, ax, ay] curved; all in twips, 14-bit fields.
function shape(bounds, start, edges) {
  const b = new Bits();
  b.u(1, 4); b.u(0, 4);
  b.u(0, 3); b.u(1, 1); b.u(0, 1); b.u(1, 1); b.u(14, 5); b.s(start[0], 14); b.s(start[1], 14); b.u(1, 1);
  for (const e of edges) {
    b.u(1, 1);
    if (e.length === 2) {
      b.u(1, 1); b.u(12, 4); b.u(0, 1);
      if (e[0] !== 0) { b.u(0, 1); b.s(e[0], 14); } else { b.u(1, 1); b.s(e[1], 14); }
    } else {
      b.u(0, 1); b.u(12, 4); for (const v of e) b.s(v, 14);
    }
  }
  b.u(0, 6);
  return tag(2, [1, 0, ...rect(...bounds), 1, 0x00, 0, 0, 0, 0, ...b.done()]);
}
function place(depth, tx, ty) {
  const m = new Bits(); m.u(0, 2); m.u(15, 5); m.s(tx, 15); m.s(ty, 15);
  return tag(26, [0x06, depth, 0, 1, 0, ...m.done()]);
}
function movie(tags) {
  const out = Buffer.from([0x46, 0x57, 0x53, 3, 0, 0, 0, 0, ...rect(0, 11000, 0, 8000), 0, 12, 1, 0,
    ...tag(9, [255, 255, 255]), ...tags.flat(), ...tag(1, []), ...tag(0, [])]);
  out.writeUInt32LE(out.length, 4);
  return out;
}

const [cli, outDir] = process.argv.slice(2);
mkdirSync(outDir, { recursive: true });
const rects = movie([shape([0, 200, 0, 2000], [0, 0], [[200, 0], [0, 2000], [-200, 0], [0, -2000]]),
  ...[...Array(20).keys()].map((k) => place(k + 1, 400 + 500 * k + k, 1000 + k))]);
const arch = movie([shape([0, 4000, 0, 1200], [0, 400], [[2000, -400, 2000, 400], [0, 800], [-4000, 0], [0, -800]]),
  place(1, 1000, 1000)]);

const browser = await launch();
const pictures = {};
try {
  for (const [name, bytes] of [["rects", rects], ["arch", arch]]) {
    writeFileSync(join(outDir, `${name}.swf`), bytes);
    execFileSync(cli, ["render", join(outDir, `${name}.swf`), "--frame", "0", "-o", join(outDir, `${name}-ours.png`)]);
    const { pictures: [theirs], errors } = await renderFrames(browser, bytes, [0]);
    if (!theirs) throw new Error(errors.join("; "));
    writeFileSync(join(outDir, `${name}-theirs.png`), theirs);
    pictures[name] = [readFileSync(join(outDir, `${name}-ours.png`)), theirs].map((p) => PNG.sync.read(p));
  }
} finally {
  await browser.close();
}
const cov = (p, x, y) => 1 - p.data[4 * (y * p.width + x)] / 255;

// Rectangles: the k-th left edge is at 20 + 25k + k/20 px, its top at 50 + k/20 px.
let worstX = [0, 0], worstY = [0, 0];
for (let k = 0; k < 20; k++) {
  const x = 20 + 25 * k + k / 20, y = 50 + k / 20;
  const exactX = 1 - (x - Math.floor(x)), exactY = 1 - (y - Math.floor(y));
  pictures.rects.forEach((p, i) => {
    worstX[i] = Math.max(worstX[i], Math.abs(cov(p, Math.floor(x), 100) - exactX));
    worstY[i] = Math.max(worstY[i], Math.abs(cov(p, Math.floor(x) + 5, Math.floor(y)) - exactY));
  });
}
console.log(`straight edges, worst coverage error: vertical edges ours ${worstX[0].toFixed(2)} theirs ${worstX[1].toFixed(2)}; ` +
  `horizontal edges ours ${worstY[0].toFixed(2)} theirs ${worstY[1].toFixed(2)}`);

// Arch: top edge x = 50 + 200t, y = 50 + 20((1-t)^2 + t^2) px, filled below down to y = 110.
const edgeY = (x) => { const t = (x - 50) / 200; return 50 + 20 * ((1 - t) ** 2 + t * t); };
const exact = (px, py) => {
  let c = 0;
  for (let i = 0; i < 32; i++) for (let j = 0; j < 32; j++) if (py + (j + 0.5) / 32 > edgeY(px + (i + 0.5) / 32)) c++;
  return c / 1024;
};
const stats = [[0, 0, 0], [0, 0, 0]];
let n = 0;
for (let x = 52; x < 248; x++) for (let y = 58; y < 72; y++) {
  const e = exact(x, y);
  if (e <= 0.01 || e >= 0.99) continue;
  n++;
  pictures.arch.forEach((p, i) => {
    const d = cov(p, x, y) - e;
    stats[i][0] += Math.abs(d); stats[i][1] += d; stats[i][2] = Math.max(stats[i][2], Math.abs(d));
  });
}
const f = (s) => `mean |error| ${(s[0] / n).toFixed(3)}, mean signed ${(s[1] / n).toFixed(3)}, worst ${s[2].toFixed(2)}`;
console.log(`curved edge (${n} edge pixels): ours ${f(stats[0])}; theirs ${f(stats[1])}`);
