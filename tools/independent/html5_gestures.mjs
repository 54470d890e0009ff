// Moves, presses and releases the mouse over a movie's web page (`tavro-cli publish --html5`) in
// headless Chromium and over Tavro's player (tests/html5_player.cpp, `PLAYER gestures`), and
// compares the GetURL requests each gesture gives and the cursor after it.
//
//   node html5_gestures.mjs CLI PLAYER MOVIE OUT_DIR GESTURE...
//
// Gestures: "m:X,Y" moves the mouse to the centre of stage pixel (X, Y) with the button as it
// is, "d" presses the button, "u" releases it, "s" plays one frame. The page is opened with its
// clock still. The cursor is the pointing hand (2) while a button is being tracked, else the
// arrow (0): the player's own choice, and in the page both the cursor style its script sets on
// the document and the cursor the browser shows over the point. Prints one line per check and
// a closing "N passed, N failed" line.
import { launch } from "./player.mjs";
import { openHtml5, step } from "./html5.mjs";
import { runner, publishPage, checker } from "./html5_common.mjs";

const [cli, player, moviePath, outDir, ...gestures] = process.argv.slice(2);
if (!cli || !player || !moviePath || !outDir || gestures.length === 0 ||
    !gestures.every((g) => /^(m:\d+,\d+|d|u|s)$/.test(g))) {
  console.error("usage: node html5_gestures.mjs CLI PLAYER MOVIE OUT_DIR m:X,Y|d|u|s...");
  process.exit(2);
}
const run = runner();
const { swfPath, pagePath, header: { width, height } } = publishPage(run, cli, moviePath, outDir);

// Our player: per gesture, the requests and the cursor.
const ours = gestures.map(() => ({ requests: [], cursor: -1 }));
for (const line of run(player, "gestures", swfPath, ...gestures).split("\n")) {
  const f = line.split("\t");
  if (f[1] === "GetURL") ours[Number(f[0])].requests.push({ url: f[2], target: f[3] ?? "" });
  else if (f[1] === "cursor") ours[Number(f[0])].cursor = Number(f[2]);
}

const theirs = [];
const browser = await launch();
let problems = [];
try {
  const { context, page, errors, outside } = await openHtml5(browser, pagePath, width, height);
  let seen = 0;
  let x = 0, y = 0;
  for (const g of gestures) {
    if (g.startsWith("m:")) {
      [x, y] = g.slice(2).split(",").map(Number);
      await page.mouse.move(x + 0.5, y + 0.5);
    } else if (g === "d") {
      await page.mouse.down();
    } else if (g === "u") {
      await page.mouse.up();
    } else {
      await step(page);
    }
    const state = await page.evaluate(([px, py]) => ({
      requests: window.tavroRequests.slice(),
      set: document.documentElement.style.cursor,
      shown: getComputedStyle(document.elementFromPoint(px, py) || document.body).cursor,
    }), [x + 0.5, y + 0.5]);
    theirs.push({ requests: state.requests.slice(seen), set: state.set, shown: state.shown });
    seen = state.requests.length;
  }
  problems = [...errors, ...outside.map((u) => `request outside the page: ${u}`)];
  await context.close();
} finally {
  await browser.close();
}

const { check, finish } = checker();
gestures.forEach((g, i) => {
  const a = JSON.stringify(ours[i].requests);
  const b = JSON.stringify(theirs[i].requests);
  check(a === b, `${i} ${g}: requests ${a === b ? "agree" : "differ"}: ours ${a}` + (a === b ? "" : `, page ${b}`));
  const hand = ours[i].cursor === 2;
  const pageHand = theirs[i].set === "pointer" && theirs[i].shown === "pointer";
  const pageArrow = theirs[i].set === "" && theirs[i].shown !== "pointer";
  check(ours[i].cursor >= 0 && (hand ? pageHand : pageArrow),
    `${i} ${g}: cursor ${hand ? "hand" : "arrow"} in our player, page sets "${theirs[i].set}", shows "${theirs[i].shown}"`);
});
check(problems.length === 0, `script errors and outside requests: ${problems.length ? problems.join("; ") : "none"}`);
finish();
