// Compares two pictures of one frame, allowing for the different anti-aliasing of two renderers.
//
//   node compare.mjs OURS.png THEIRS.png DIFF.png [--tolerance T] [--share S] [--mean M]
//
// A pixel differs when one of its channels differs by more than T (default 64 of 255). The
// pictures agree when at most a share S (default 0.005, i.e. 0.5 %) of the pixels differ and the
// mean of every channel over the picture agrees within M (default 1.5 levels). Pictures are
// composited over white first, so a transparent pixel and a white one compare equal. DIFF.png
// shows the first picture faded, with differing pixels in red (ours lighter) or blue (ours
// darker). Prints one line with the numbers; exit status 0 when the pictures agree, 1 otherwise.
import { readFileSync, writeFileSync } from "node:fs";
import { PNG } from "pngjs";

// Flattened RGB of a decoded PNG, composited over white.
function rgbOf(png) {
  const out = new Float64Array(png.width * png.height * 3);
  for (let p = 0; p < png.width * png.height; p++) {
    const a = png.data[4 * p + 3] / 255;
    for (let c = 0; c < 3; c++) out[3 * p + c] = png.data[4 * p + c] * a + 255 * (1 - a);
  }
  return out;
}

export function comparePictures(oursPng, theirsPng, { tolerance = 64, share = 0.005, mean = 1.5 } = {}) {
  const ours = PNG.sync.read(oursPng);
  const theirs = PNG.sync.read(theirsPng);
  if (ours.width !== theirs.width || ours.height !== theirs.height) {
    return {
      ok: false, diff: null,
      summary: `sizes differ: ${ours.width}x${ours.height} against ${theirs.width}x${theirs.height}`,
    };
  }
  const { width, height } = ours;
  const a = rgbOf(ours);
  const b = rgbOf(theirs);
  const diff = new PNG({ width, height });
  const sums = [0, 0, 0, 0, 0, 0];
  let differing = 0;
  let worst = { value: 0, x: 0, y: 0, ours: [], theirs: [] };
  const box = [width, height, -1, -1];
  for (let y = 0; y < height; y++) {
    for (let x = 0; x < width; x++) {
      const p = y * width + x;
      let most = 0;
      let signed = 0;
      for (let c = 0; c < 3; c++) {
        const d = a[3 * p + c] - b[3 * p + c];
        sums[c] += a[3 * p + c];
        sums[3 + c] += b[3 * p + c];
        if (Math.abs(d) > most) most = Math.abs(d);
        signed += d;
      }
      const grey = (a[3 * p] + a[3 * p + 1] + a[3 * p + 2]) / 3;
      let px = [255 - (255 - grey) * 0.3, 255 - (255 - grey) * 0.3, 255 - (255 - grey) * 0.3];
      if (most > tolerance) {
        differing++;
        px = signed > 0 ? [255, 0, 0] : [0, 0, 255];
        box[0] = Math.min(box[0], x);
        box[1] = Math.min(box[1], y);
        box[2] = Math.max(box[2], x);
        box[3] = Math.max(box[3], y);
      }
      if (most > worst.value || p === 0) {
        const at = (img) => [0, 1, 2].map((c) => Math.round(img[3 * p + c]));
        worst = { value: Math.round(most), x, y, ours: at(a), theirs: at(b) };
      }
      diff.data.set([...px.map(Math.round), 255], 4 * p);
    }
  }
  const n = width * height;
  const means = [0, 1, 2].map((c) => Math.abs(sums[c] - sums[3 + c]) / n);
  const meanGap = Math.max(...means);
  const ok = differing <= share * n && meanGap <= mean;
  const summary =
    `${differing} of ${n} pixels differ by more than ${tolerance} (${((100 * differing) / n).toFixed(3)} %, ` +
    `allowed ${(100 * share).toFixed(3)} %); mean colour gap ${meanGap.toFixed(2)} (allowed ${mean}); ` +
    `largest difference ${worst.value} at (${worst.x},${worst.y}): ours ${worst.ours} theirs ${worst.theirs}` +
    (differing ? `; differing pixels within x=${box[0]}..${box[2]} y=${box[1]}..${box[3]}` : "");
  return { ok, summary, differing, meanGap, worst, diff: PNG.sync.write(diff) };
}

if (import.meta.url === `file://${process.argv[1]}`) {
  const args = process.argv.slice(2);
  const options = {};
  for (const name of ["tolerance", "share", "mean"]) {
    const at = args.indexOf(`--${name}`);
    if (at >= 0) options[name] = Number(args.splice(at, 2)[1]);
  }
  const [oursPath, theirsPath, diffPath] = args;
  if (!oursPath || !theirsPath || !diffPath) {
    console.error("usage: node compare.mjs OURS.png THEIRS.png DIFF.png [--tolerance T] [--share S] [--mean M]");
    process.exit(2);
  }
  const result = comparePictures(readFileSync(oursPath), readFileSync(theirsPath), options);
  if (result.diff) writeFileSync(diffPath, result.diff);
  console.log(`${result.ok ? "agree" : "DIFFER"}: ${result.summary}`);
  process.exit(result.ok ? 0 : 1);
}
