// Plays a movie published as a web page: the page's SVG holds every shape and glyph once (in
// <defs>), the JSON block "tavro-movie" the timeline (what changes from frame to frame), the
// characters and the actions. This script keeps the display list of the movie's main timeline,
// advances it at the movie's frame rate, runs frame and button actions and tracks the mouse
// over buttons, the way Tavro's own player does. docs/html5.md describes the data.
(() => {
  "use strict";
  const SVG = "http://www.w3.org/2000/svg";
  const stage = document.getElementById("tavro-stage");
  const layer = document.getElementById("tavro-frame");
  const movie = JSON.parse(document.getElementById("tavro-movie").textContent);
  const options = Object.assign({ autoplay: true }, window.tavroOptions || {});
  const frames = movie.frames;
  const chars = movie.chars;

  // ---- matrices and colour transforms ----
  // A matrix is [a, b, c, d, tx, ty]: a..d in 1/65536, tx and ty in twips; a point maps to
  // (x*a + y*c + tx, x*b + y*d + ty). A colour transform is [aMul, rMul, gMul, bMul, aAdd, rAdd,
  // gAdd, bAdd] (multipliers in 1/256), or null for none. The data gives both as differences
  // from a base, in the orders [tx, ty, a, d, b, c] and the one above, with trailing zeros left
  // out; 0 means "no difference".
  const IDENTITY = [65536, 0, 0, 65536, 0, 0];
  const NO_CX = [256, 256, 256, 256, 0, 0, 0, 0];
  const M_ORDER = [4, 5, 0, 3, 1, 2];

  function matrixFrom(base, delta) {
    if (!delta) return base;
    const m = base.slice();
    delta.forEach((v, i) => { m[M_ORDER[i]] += v; });
    return m;
  }
  function cxFrom(base, delta) {
    if (!delta) return base;
    const cx = (base || NO_CX).slice();
    delta.forEach((v, i) => { cx[i] += v; });
    return cx.every((v, i) => v === NO_CX[i]) ? null : cx;
  }
  function sameMatrix(x, y) {
    return x === y || x.every((v, i) => v === y[i]);
  }
  function sameCx(x, y) {
    return x === y || (x !== null && y !== null && x.every((v, i) => v === y[i]));
  }
  function fixed(v) {
    return +(v / 65536).toFixed(6);
  }
  function transformText(m) {
    if (m[0] === 65536 && m[3] === 65536 && !m[1] && !m[2]) return `translate(${m[4]} ${m[5]})`;
    return `matrix(${fixed(m[0])} ${fixed(m[1])} ${fixed(m[2])} ${fixed(m[3])} ${m[4]} ${m[5]})`;
  }
  // `inner` applied first, then `outer`, as the player concatenates them.
  function concatCx(inner, outer) {
    if (!outer) return inner;
    if (!inner) return outer;
    const limit = 32767 * 256;
    const clamp = (v) => Math.max(-limit, Math.min(limit, v));
    const out = [];
    for (let i = 0; i < 4; i++) {
      out[i] = clamp(Math.trunc((inner[i] * outer[i]) / 256));
      out[i + 4] = clamp(Math.trunc((inner[i + 4] * outer[i]) / 256) + outer[i + 4]);
    }
    return out;
  }
  function channel(value, mul, add) {
    return Math.max(0, Math.min(255, Math.trunc((value * mul) / 256) + add));
  }
  const hex2 = (v) => (v < 16 ? "0" : "") + v.toString(16);

  // Colours of a shape or text go to its paths through the custom properties --c0, --c1, ...
  // (one per fill, line or text colour). With one alpha for every colour, the alpha becomes the
  // element's opacity, so that overlapping glyphs of one text blend once, as in the player.
  function paint(el, colours, cx) {
    if (!cx) {
      el.removeAttribute("style");
      return;
    }
    const out = colours.map((c) => [
      channel(c >>> 24, cx[0], cx[4]), channel((c >>> 16) & 255, cx[1], cx[5]),
      channel((c >>> 8) & 255, cx[2], cx[6]), channel(c & 255, cx[3], cx[7])]);
    const oneAlpha = out.every((c) => c[0] === out[0][0]);
    const plainAlpha = colours.every((c) => c >>> 24 === 255);
    const tinted = cx[1] !== 256 || cx[2] !== 256 || cx[3] !== 256 || cx[5] || cx[6] || cx[7];
    let style = "";
    if (tinted || !oneAlpha || !plainAlpha) {
      out.forEach((c, i) => {
        style += `--c${i}:#${hex2(c[1])}${hex2(c[2])}${hex2(c[3])}${oneAlpha ? "" : hex2(c[0])};`;
      });
    }
    if (oneAlpha && out.length && out[0][0] !== 255) {
      style += `opacity:${+(out[0][0] / 255).toFixed(4)};`;
    }
    if (style) el.setAttribute("style", style);
    else el.removeAttribute("style");
  }

  // ---- instances: the SVG elements of placed characters ----
  // An instance is { id, depth, m, cx, el, parent, own, kids, ch } (buttons add their state and
  // state records); `own` is the timeline its button actions run against (the main timeline, or
  // a sprite's). Buttons and sprites inside each other are built as deep as the player draws.
  const ROOT = { sprite: false };
  const buttonOf = new WeakMap(); // hit element -> button instance
  const MAX_NESTING = 64;

  function element(name, attrs) {
    const el = document.createElementNS(SVG, name);
    for (const k in attrs) el.setAttribute(k, attrs[k]);
    return el;
  }

  function create(id, depth, m, cx, parent, own, nesting) {
    const ch = chars[id];
    const inst = { id, depth, m, cx, parent, own, kids: [], gone: false, ch };
    if (ch.k === "s" || ch.k === "t") {
      inst.el = element("use", { href: `#c${id}` });
    } else {
      inst.el = element("g", {});
      if (nesting < MAX_NESTING) {
        if (ch.k === "p") buildSprite(inst, nesting);
        else buildButton(inst, nesting);
      }
    }
    if (!sameMatrix(m, IDENTITY)) inst.el.setAttribute("transform", transformText(m));
    recolour(inst);
    return inst;
  }

  function buildSprite(inst, nesting) {
    const own = { sprite: true };
    for (const [depth, id, m, cx] of inst.ch.r) {
      const kid = create(id, depth, matrixFrom(IDENTITY, m), cxFrom(null, cx), inst, own,
        nesting + 1);
      inst.kids.push(kid);
      inst.el.appendChild(kid.el);
    }
  }

  // A button's own hit areas go first (behind its state records), so that a button shown by
  // one of its states is found before it, as the player tests children before their parent.
  function buildButton(inst, nesting) {
    const ch = inst.ch;
    let hitLayer = inst.el;
    if (ch.u) {
      hitLayer = element("a", { href: ch.u[0] });
      if (ch.u[1]) hitLayer.setAttribute("target", ch.u[1]);
      inst.el.appendChild(hitLayer);
    }
    for (const [states, id, depth, m, cx] of ch.r) {
      const shown = chars[id];
      if (!(states & 8) || !shown || (shown.k !== "s" && shown.k !== "t")) continue;
      const mm = matrixFrom(IDENTITY, m);
      let hit;
      if (shown.k === "s") {
        hit = element("use", { href: `#c${id}`, class: "tavro-hit" });
      } else {
        const b = shown.b;
        hit = element("rect", { x: b[0], y: b[1], width: b[2] - b[0], height: b[3] - b[1],
          class: "tavro-hit" });
      }
      if (!sameMatrix(mm, IDENTITY)) hit.setAttribute("transform", transformText(mm));
      buttonOf.set(hit, inst);
      hitLayer.appendChild(hit);
    }
    inst.state = 0;
    inst.records = [];
    ch.r.forEach(([states, id, depth, m, cx], i) => {
      if (!(states & 7) || !chars[id]) return;
      inst.records.push({ states, depth, i, id, m: matrixFrom(IDENTITY, m), cx: cxFrom(null, cx) });
    });
    // Drawn in depth order; of two records at one depth the later one goes behind.
    inst.records.sort((x, y) => x.depth - y.depth || y.i - x.i);
    inst.nesting = nesting;
    placeButton(inst);
  }

  // ---- button tracking, as the player's button code does it ----
  const IDLE = 1, OVER_UP = 2, OVER_DOWN = 3, OUT_DOWN = 4;
  const track = { button: null, state: IDLE, copy: null };
  let mouse = null; // the last pointer position and button, for replays after frames

  function visibleMask(state) {
    return state === IDLE ? 1 : state === OVER_DOWN ? 4 : 2;
  }

  // Shows the records of a state: those of the old state only are removed, those of the new one
  // only are made.
  function showState(button, state) {
    const old = button.state;
    if (old === state) return;
    button.state = state;
    const oldMask = old ? visibleMask(old) : 0;
    const newMask = visibleMask(state);
    if (oldMask === newMask) return;
    for (const rec of button.records) {
      const was = (rec.states & oldMask) !== 0;
      const is = (rec.states & newMask) !== 0;
      if (was && !is && rec.inst) {
        destroy(rec.inst);
        rec.inst = null;
      } else if (is && !was) {
        rec.inst = create(rec.id, rec.depth, rec.m, rec.cx, button, button.own, button.nesting + 1);
      }
    }
    // Keep the state children in record order, above the hit areas.
    for (const rec of button.records) if (rec.inst) button.el.appendChild(rec.inst.el);
  }

  function matches(inst) {
    const c = track.copy;
    return c !== null && inst.parent === c.parent && inst.id === c.id && inst.depth === c.depth;
  }

  // A button just placed: it takes over the tracking of a removed copy of itself.
  function placeButton(button) {
    let state = IDLE;
    if (!track.button && track.state !== IDLE && matches(button)) {
      track.button = button;
      state = track.state;
    }
    showState(button, state);
  }

  function findCopy(inst) {
    for (const kid of inst.kids) {
      if (kid.ch.k === "b" && matches(kid)) return kid;
      const found = findCopy(kid);
      if (found) return found;
    }
    for (const rec of inst.records || []) {
      if (!rec.inst) continue;
      if (rec.inst.ch.k === "b" && matches(rec.inst)) return rec.inst;
      const found = findCopy(rec.inst);
      if (found) return found;
    }
    return null;
  }

  function resolve() {
    if (track.button) {
      if (track.state === IDLE) track.button = null;
      return;
    }
    if (track.state !== IDLE && track.copy) {
      const found = findCopy(rootInst);
      if (found) {
        track.button = found;
        showState(found, track.state);
        return;
      }
    }
    track.state = IDLE;
    track.copy = null;
  }

  function buttonAt(x, y) {
    if (x === null) return null;
    const el = document.elementFromPoint(x, y);
    const button = el ? buttonOf.get(el) : undefined;
    return button && !button.gone ? button : null;
  }

  function transition(button, event, state) {
    track.state = state;
    if (state === IDLE) {
      track.button = null;
      track.copy = null;
    } else {
      track.button = button;
      track.copy = { parent: button.parent, id: button.id, depth: button.depth };
    }
    showState(button, state);
    let queued = false;
    for (const [conditions, list] of button.ch.a) {
      if ((conditions >> event) & 1) {
        queue.push([list, button.own]);
        queued = true;
      }
    }
    return queued;
  }

  // One mouse update: the transitions of the player's table, several in a row when one update
  // both moves and presses or releases.
  function updateButtons(x, y, down) {
    resolve();
    let hit = buttonAt(x, y);
    let queued = false;
    for (let step = 0; step < 8; step++) {
      const t = track.button;
      const state = t ? track.state : IDLE;
      if (state === IDLE) {
        if (hit && !down) queued = transition(hit, 0, OVER_UP) || queued;
        else if (hit && hit.ch.menu) queued = transition(hit, 7, OVER_DOWN) || queued;
        break;
      }
      const over = hit === t;
      if (state === OVER_UP) {
        if (over) {
          if (down) queued = transition(t, 2, OVER_DOWN) || queued;
          break;
        }
        queued = transition(t, 1, IDLE) || queued;
      } else if (state === OVER_DOWN) {
        if (over) {
          if (!down) queued = transition(t, 3, OVER_UP) || queued;
          break;
        }
        if (t.ch.menu) queued = transition(t, 8, IDLE) || queued;
        else queued = transition(t, 4, OUT_DOWN) || queued;
      } else {
        if (over) {
          queued = transition(t, 5, OVER_DOWN) || queued;
          if (down) break;
        } else if (!down) {
          queued = transition(t, 6, IDLE) || queued;
        } else {
          break;
        }
      }
      hit = buttonAt(x, y);
    }
    return queued;
  }

  function destroy(inst) {
    inst.gone = true;
    if (track.button === inst) {
      track.button = null;
      // The tracking goes on only while the parent stays: a copy placed there takes it over.
      let p = inst.parent;
      while (p && !p.gone && p !== rootInst) p = p.parent;
      if (!track.copy || !p || p.gone) {
        track.state = IDLE;
        track.copy = null;
      }
    }
    for (const kid of inst.kids) destroy(kid);
    for (const rec of inst.records || []) if (rec.inst) destroy(rec.inst);
    inst.el.remove();
  }

  // Applies the colour transform of every shape and text below `inst`.
  function recolour(inst, outer) {
    const world = concatCx(inst.cx, outer === undefined ? worldCx(inst.parent) : outer);
    if (inst.ch.k === "s" || inst.ch.k === "t") paint(inst.el, inst.ch.c, world);
    for (const kid of inst.kids) recolour(kid, world);
    for (const rec of inst.records || []) if (rec.inst) recolour(rec.inst, world);
  }
  function worldCx(inst) {
    let cx = null;
    for (let p = inst; p; p = p.parent) cx = concatCx(cx, p.cx);
    return cx;
  }

  // ---- the main timeline ----
  const OK = 0, END = 2;
  const display = new Map(); // depth -> { id, m, cx }: the display list as the tags leave it
  const timeline = { frame: -1, playing: true, atEnd: false };
  const rootInst = { kids: [], cx: null, parent: null, gone: false, ch: { k: "p" } };
  const placed = new Map(); // depth -> instance on the stage
  const queue = []; // [action list, own timeline]

  function applyOps(ops) {
    for (const op of ops) {
      const depth = op[0];
      if (op.length === 1) {
        display.delete(depth);
      } else if (op[1] > 0) {
        display.set(depth, { id: op[1], m: matrixFrom(IDENTITY, op[2]), cx: cxFrom(null, op[3]) });
      } else {
        const e = display.get(depth);
        if (e) display.set(depth, { id: e.id, m: matrixFrom(e.m, op[2]), cx: cxFrom(e.cx, op[3]) });
      }
    }
  }

  function executeFrame(ops, actions, seeking) {
    applyOps(ops);
    if (!seeking && actions) for (const list of actions) queue.push([list, ROOT]);
  }

  let tagsRun = 0;
  function executeTo(frame, seeking) {
    while (timeline.frame < frame) {
      if (timeline.atEnd) return END;
      if (timeline.frame + 1 >= frames.length) {
        timeline.atEnd = true;
        if (movie.tail) executeFrame(movie.tail, movie.tailActions, seeking);
        return END;
      }
      timeline.frame++;
      tagsRun += frames[timeline.frame].length + 1;
      executeFrame(frames[timeline.frame], movie.actions[timeline.frame], seeking);
    }
    return OK;
  }

  // Goes to `frame`. In goto mode the frames passed on the way run no actions, and going back
  // replays from the first frame.
  function seek(frame, gotoMode) {
    if (!gotoMode) return executeTo(frame, false);
    if (timeline.frame === frame) return OK;
    if (timeline.frame > frame) {
      display.clear();
      timeline.frame = -1;
      timeline.atEnd = false;
    }
    let r = executeTo(frame - 1, true);
    if (r === OK) r = executeTo(frame, false);
    return r;
  }

  function gotoFrame(frame) {
    timeline.playing = false;
    seek(Math.max(frame, 0), true);
  }

  // One frame of the clock: the timeline moves on (back to the first frame after the last), its
  // actions run, the stage shows the result and buttons react to what moved under the mouse.
  function advance() {
    if (timeline.playing) {
      if (seek(timeline.frame + 1, false) === END) {
        if (timeline.frame !== 0) seek(0, true);
        else timeline.playing = false;
      }
    }
    runActions();
    render();
    if (!mouse) {
      resolve();
    } else if (updateButtons(mouse.x, mouse.y, mouse.down)) {
      runActions();
      render();
    }
  }

  // Brings the stage's elements in line with the display list: objects whose depth now holds
  // another character are made anew, moved ones get their new matrix and colours.
  function render() {
    for (const [depth, inst] of placed) {
      const e = display.get(depth);
      if (!e || e.id !== inst.id) {
        destroy(inst);
        placed.delete(depth);
      }
    }
    const depths = [...display.keys()].sort((x, y) => x - y);
    let before = null;
    for (const depth of depths) {
      const e = display.get(depth);
      let inst = placed.get(depth);
      if (!inst) {
        inst = create(e.id, depth, e.m, e.cx, rootInst, ROOT, 0);
        placed.set(depth, inst);
      } else {
        if (!sameMatrix(inst.m, e.m)) {
          inst.m = e.m;
          if (sameMatrix(e.m, IDENTITY)) inst.el.removeAttribute("transform");
          else inst.el.setAttribute("transform", transformText(e.m));
        }
        if (!sameCx(inst.cx, e.cx)) {
          inst.cx = e.cx;
          recolour(inst, null);
        }
      }
      const next = before ? before.nextSibling : layer.firstChild;
      if (next !== inst.el) layer.insertBefore(inst.el, next);
      before = inst.el;
    }
    rootInst.kids = depths.map((d) => placed.get(d));
  }

  // ---- actions ----
  const LIMIT_ACTIONS = 200000;
  const LIMIT_TAGS = 100000;
  let aborted = false;
  let running = false;

  function frameAction(op) {
    return "npPSgl".includes(op);
  }

  function runActions() {
    if (running || aborted) {
      if (aborted) queue.length = 0;
      return;
    }
    running = true;
    const requests = [];
    const run = { count: 0, target: undefined, goto: null, tagBase: tagsRun };
    while (queue.length && !aborted) {
      const [list, own] = queue.shift();
      runList(list, own, run, requests);
    }
    if (aborted) queue.length = 0;
    running = false;
    for (const [url, target] of requests) getUrl(url, target);
  }

  function settle(run) {
    const g = run.goto;
    run.goto = null;
    if (g && g.t === ROOT) gotoFrame(g.frame);
  }

  function requestGoto(run, t, frame) {
    if (run.goto && run.goto.t !== t) settle(run);
    if (t === ROOT) timeline.playing = false;
    run.goto = { t, frame: Math.max(frame, 0) };
  }

  function frameAfterGoto(run, t) {
    if (run.goto && run.goto.t === t) return run.goto.frame;
    return t === ROOT ? timeline.frame : 0;
  }

  // Runs one action list. A goto takes effect when the list ends or before an action that is
  // not a goto, so frames only passed through by one list are never shown.
  function runList(list, own, run, requests) {
    let skip = 0;
    for (const action of list) {
      if (++run.count > LIMIT_ACTIONS || tagsRun - run.tagBase > LIMIT_TAGS) {
        aborted = true;
        return;
      }
      if (skip > 0) {
        skip--;
        continue;
      }
      const op = action[0];
      if (run.goto && !"npgl".includes(op)) settle(run);
      const target = run.target === undefined ? own : run.target;
      if (frameAction(op) && !target) continue;
      switch (op) {
        case "n": requestGoto(run, target, frameAfterGoto(run, target) + 1); break;
        case "p": requestGoto(run, target, frameAfterGoto(run, target) - 1); break;
        case "g": requestGoto(run, target, action[1]); break;
        case "l": {
          const frame = movie.labels[action[1]];
          if (target === ROOT && frame !== undefined) requestGoto(run, target, frame);
          break;
        }
        case "P": if (target === ROOT) timeline.playing = true; break;
        case "S": if (target === ROOT) timeline.playing = false; break;
        case "u": if (requests.length < 32) requests.push([action[1], action[2]]); break;
        case "t":
          // Only the main timeline has frames to go to; a sprite target has one frame.
          if (action[1] === "") run.target = undefined;
          else if (/^\/?(_(level|flash)0+\/?)?$/i.test(action[1])) run.target = ROOT;
          else run.target = { sprite: true };
          break;
        case "k": skip = action[1]; break;
        default: break;
      }
    }
    settle(run);
  }

  // A GetURL request: the page is told first ("tavro-geturl" on the stage, cancelable), then
  // the URL opens in the window or frame the target names ("" is this window). FSCommand: URLs
  // and loads into levels are for players of SWF movies and stop at the event.
  function getUrl(url, target) {
    const ev = new CustomEvent("tavro-geturl",
      { detail: { url, target }, cancelable: true, bubbles: true });
    if (!stage.dispatchEvent(ev) || url === "") return;
    if (/^fscommand:/i.test(url) || /^_(level|flash)\d+$/i.test(target)) return;
    window.open(url, target || "_self");
  }

  // ---- mouse ----
  function pointer(ev, down) {
    mouse = { x: ev.clientX, y: ev.clientY, down };
    if (updateButtons(mouse.x, mouse.y, down)) runActions();
    render();
    document.documentElement.style.cursor = track.button && track.state !== IDLE ? "pointer" : "";
  }
  window.addEventListener("pointermove", (ev) => pointer(ev, (ev.buttons & 1) !== 0));
  window.addEventListener("pointerdown", (ev) => {
    if (ev.button === 0) pointer(ev, true);
  });
  window.addEventListener("pointerup", (ev) => {
    if (ev.button === 0) pointer(ev, false);
  });
  // Links are buttons whose one action opens a URL on release: the release above already went
  // there, so the link's own click does nothing more; Enter on a focused link is a release.
  stage.addEventListener("click", (ev) => {
    const a = ev.target.closest && ev.target.closest("a");
    if (!a) return;
    ev.preventDefault();
    if (ev.detail !== 0) return;
    const hit = a.querySelector(".tavro-hit");
    const button = hit && buttonOf.get(hit);
    if (!button) return;
    for (const [conditions, list] of button.ch.a) {
      if ((conditions >> 3) & 1) queue.push([list, button.own]);
    }
    runActions();
    render();
  });

  // ---- the clock ----
  // Frames follow each other every frameMs, counted from the previous frame's due time, so the
  // movie keeps its rate whatever the display's refresh; a frame shown late does not bring the
  // next one closer than half a period, and a page that falls a whole period behind (a hidden
  // tab) starts counting again instead of hurrying. One frame at most per display refresh, so
  // no frame of the movie is ever left undrawn.
  let due = 0;
  let clockOn = false;
  function clock(now) {
    if (!clockOn) return;
    if (now >= due) {
      const period = movie.frameMs;
      due = now - due > period ? now + period : Math.max(due + period, now + period / 2);
      advance();
    }
    requestAnimationFrame(clock);
  }
  function startClock() {
    if (clockOn) return;
    clockOn = true;
    due = performance.now() + movie.frameMs;
    requestAnimationFrame(clock);
  }

  // ---- start: the first frame replaces the still picture the page shows without scripts ----
  // From now on the script alone chooses the cursor, as the player does: the hand while a
  // button is tracked, and not over a button that a press from elsewhere was dragged onto.
  stage.classList.add("tavro-scripted");
  layer.replaceChildren();
  seek(0, true);
  runActions();
  render();
  if (options.autoplay) startClock();

  // The stage element's interface for the page around it.
  stage.tavro = {
    get frame() { return timeline.frame; },
    get frameCount() { return frames.length; },
    get playing() { return timeline.playing; },
    play() { timeline.playing = true; startClock(); },
    stop() { timeline.playing = false; },
    gotoFrame(n) { gotoFrame(n); runActions(); render(); },
    // One frame of the clock, now (for a page that drives the clock itself).
    step() { advance(); },
    pauseClock() { clockOn = false; },
    resumeClock() { startClock(); },
  };
  stage.dispatchEvent(new CustomEvent("tavro-ready", { bubbles: true }));
})();
