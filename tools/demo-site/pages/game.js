// 宝石地牢: collect every gem on a floor of the dungeon while slimes hunt you.
// Arrow keys / WASD move, a click walks to that spot, P or Esc pauses, R restarts.
(function () {
  "use strict";

  var COLS = 24, ROWS = 15, TILE = 40;
  var WORLD_W = COLS * TILE, WORLD_H = ROWS * TILE;
  var PLAYER_SPEED = 170, PLAYER_HALF = 12, HIT_DISTANCE = 24;
  var START = { c: 12, r: 7 };
  var GEMS = [
    { name: "ruby", value: 10, weight: 6, light: "#ff9a8a", mid: "#d0202e", dark: "#4a0610" },
    { name: "sapphire", value: 20, weight: 3, light: "#a8d0ff", mid: "#2a62d8", dark: "#0a1848" },
    { name: "emerald", value: 30, weight: 2, light: "#a8ffc0", mid: "#1fa653", dark: "#063a18" },
    { name: "sun", value: 50, weight: 1, light: "#fff4c0", mid: "#f0b530", dark: "#6a4008" }
  ];

  var canvas = document.getElementById("game");
  var ctx = canvas.getContext("2d");
  var hud = {
    level: document.getElementById("level"),
    score: document.getElementById("score"),
    best: document.getElementById("best"),
    lives: document.getElementById("lives")
  };

  var view = { scale: 1, x: 0, y: 0, dpr: 1 };
  var keys = {};
  var pointer = { down: false, x: 0, y: 0 };
  var game;

  function loadBest() {
    try { return parseInt(localStorage.getItem("korvane.best") || "0", 10) || 0; } catch (e) { return 0; }
  }
  function saveBest(value) {
    try { localStorage.setItem("korvane.best", String(value)); } catch (e) { /* storage may be off */ }
  }

  function rand(n) { return Math.floor(Math.random() * n); }
  function cellCenter(c, r) { return { x: c * TILE + TILE / 2, y: r * TILE + TILE / 2 }; }
  function cellOf(x, y) { return { c: Math.floor(x / TILE), r: Math.floor(y / TILE) }; }
  function isWall(grid, c, r) { return c < 0 || r < 0 || c >= COLS || r >= ROWS || grid[r][c] === 1; }

  // Distances (in steps) from one cell to every reachable cell; -1 where unreachable.
  function distancesFrom(grid, c, r) {
    var dist = [], queue = [[c, r]], head = 0;
    for (var y = 0; y < ROWS; y++) { dist.push(new Array(COLS).fill(-1)); }
    if (isWall(grid, c, r)) { return dist; }
    dist[r][c] = 0;
    while (head < queue.length) {
      var cur = queue[head++];
      var steps = [[1, 0], [-1, 0], [0, 1], [0, -1]];
      for (var i = 0; i < 4; i++) {
        var nc = cur[0] + steps[i][0], nr = cur[1] + steps[i][1];
        if (!isWall(grid, nc, nr) && dist[nr][nc] < 0) {
          dist[nr][nc] = dist[cur[1]][cur[0]] + 1;
          queue.push([nc, nr]);
        }
      }
    }
    return dist;
  }

  // The neighbour of (c, r) one step closer to the origin of a distance field.
  function stepToward(dist, c, r) {
    var best = null, bestDist = dist[r] ? dist[r][c] : -1;
    var steps = [[1, 0], [-1, 0], [0, 1], [0, -1]];
    for (var i = 0; i < 4; i++) {
      var nc = c + steps[i][0], nr = r + steps[i][1];
      if (nr >= 0 && nr < ROWS && nc >= 0 && nc < COLS && dist[nr][nc] >= 0 &&
          (bestDist < 0 || dist[nr][nc] < bestDist)) {
        best = { c: nc, r: nr };
        bestDist = dist[nr][nc];
      }
    }
    return best;
  }

  function makeFloor(level) {
    var grid = [], r, c;
    for (r = 0; r < ROWS; r++) {
      grid.push([]);
      for (c = 0; c < COLS; c++) {
        grid[r].push(r === 0 || c === 0 || r === ROWS - 1 || c === COLS - 1 ? 1 : 0);
      }
    }
    var blocks = Math.min(16 + level * 2, 30);
    for (var b = 0; b < blocks; b++) {
      var shape = rand(3);
      var w = shape === 0 ? 2 + rand(3) : shape === 1 ? 1 : 2;
      var h = shape === 0 ? 1 : shape === 1 ? 2 + rand(2) : 2;
      var c0 = 2 + rand(COLS - 3 - w), r0 = 2 + rand(ROWS - 3 - h);
      if (Math.abs(c0 - START.c) < 3 + w && Math.abs(r0 - START.r) < 3 + h) { continue; }
      for (r = r0; r < r0 + h; r++) { for (c = c0; c < c0 + w; c++) { grid[r][c] = 1; } }
    }
    // Seal pockets the player could never reach.
    var dist = distancesFrom(grid, START.c, START.r);
    for (r = 0; r < ROWS; r++) { for (c = 0; c < COLS; c++) { if (dist[r][c] < 0) { grid[r][c] = 1; } } }
    return { grid: grid, dist: dist };
  }

  function freeCells(dist, minSteps) {
    var cells = [];
    for (var r = 0; r < ROWS; r++) {
      for (var c = 0; c < COLS; c++) { if (dist[r][c] >= minSteps) { cells.push({ c: c, r: r }); } }
    }
    return cells;
  }

  function takeRandom(cells) { return cells.splice(rand(cells.length), 1)[0]; }

  function pickGemKind() {
    var total = 0, i;
    for (i = 0; i < GEMS.length; i++) { total += GEMS[i].weight; }
    var roll = rand(total);
    for (i = 0; i < GEMS.length; i++) { roll -= GEMS[i].weight; if (roll < 0) { return GEMS[i]; } }
    return GEMS[0];
  }

  function newGame() {
    game = { level: 1, score: 0, lives: 3, best: loadBest(), state: "ready", timer: 0, particles: [], texts: [] };
    startLevel();
    updateHud();
  }

  function startLevel() {
    var floor = makeFloor(game.level);
    game.grid = floor.grid;
    game.background = paintBackground(floor.grid);
    game.torches = findTorches(floor.grid);
    var start = cellCenter(START.c, START.r);
    game.player = { x: start.x, y: start.y, face: 1, path: [], hurt: 0, walk: 0 };
    var gemCells = freeCells(floor.dist, 3);
    game.gems = [];
    var count = Math.min(8 + game.level * 2, 22);
    for (var i = 0; i < count && gemCells.length; i++) {
      var cell = takeRandom(gemCells), pos = cellCenter(cell.c, cell.r);
      game.gems.push({ x: pos.x, y: pos.y, kind: pickGemKind(), phase: Math.random() * 6.28 });
    }
    game.spawnCells = freeCells(floor.dist, 9);
    if (!game.spawnCells.length) { game.spawnCells = freeCells(floor.dist, 4); }
    game.slimes = [];
    var slimes = Math.min(1 + game.level, 8);
    for (var s = 0; s < slimes; s++) { game.slimes.push(spawnSlime()); }
    game.chase = distancesFrom(game.grid, START.c, START.r);
    game.chaseTimer = 0;
  }

  function spawnSlime() {
    var cell = game.spawnCells[rand(game.spawnCells.length)], pos = cellCenter(cell.c, cell.r);
    return {
      x: pos.x, y: pos.y, target: null, phase: Math.random() * 6.28,
      speed: Math.min(62 + game.level * 9, 150) * (0.85 + Math.random() * 0.3),
      hue: 270 + rand(50)
    };
  }

  function updateHud() {
    hud.level.textContent = game.level;
    hud.score.textContent = game.score;
    hud.best.textContent = Math.max(game.best, game.score);
    hud.lives.textContent = game.lives > 0 ? new Array(game.lives + 1).join("♥") : "—";
  }

  // --- input ----------------------------------------------------------------

  var KEY_DIRS = {
    ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1],
    a: [-1, 0], d: [1, 0], w: [0, -1], s: [0, 1], A: [-1, 0], D: [1, 0], W: [0, -1], S: [0, 1]
  };

  function begin() {
    if (game.state === "ready" || game.state === "paused") { game.state = "playing"; }
    else if (game.state === "over") { newGame(); game.state = "playing"; }
  }

  window.addEventListener("keydown", function (e) {
    if (e.ctrlKey || e.altKey || e.metaKey) { return; }
    if (e.key === "r" || e.key === "R") { newGame(); game.state = "playing"; e.preventDefault(); return; }
    if (e.key === "p" || e.key === "P" || e.key === "Escape") {
      if (game.state === "playing") { game.state = "paused"; } else if (game.state === "paused") { game.state = "playing"; }
      e.preventDefault();
      return;
    }
    if (KEY_DIRS[e.key]) { keys[e.key] = true; game.player.path = []; e.preventDefault(); }
    if (game.state !== "playing" && game.state !== "clear") { begin(); }
  });
  window.addEventListener("keyup", function (e) { delete keys[e.key]; });
  window.addEventListener("blur", function () {
    keys = {};
    if (game.state === "playing") { game.state = "paused"; }
  });

  function toWorld(e) {
    var rect = canvas.getBoundingClientRect();
    return { x: (e.clientX - rect.left - view.x) / view.scale, y: (e.clientY - rect.top - view.y) / view.scale };
  }

  function walkTo(point) {
    var goal = cellOf(point.x, point.y);
    if (isWall(game.grid, goal.c, goal.r)) { return; }
    var dist = distancesFrom(game.grid, goal.c, goal.r);
    var here = cellOf(game.player.x, game.player.y), path = [];
    while (here && (here.c !== goal.c || here.r !== goal.r) && path.length < COLS * ROWS) {
      here = stepToward(dist, here.c, here.r);
      if (here) { path.push(cellCenter(here.c, here.r)); }
    }
    path.push({ x: point.x, y: point.y });
    game.player.path = path;
  }

  canvas.addEventListener("mousedown", function (e) {
    canvas.focus();
    if (game.state !== "playing") { begin(); return; }
    pointer.down = true;
    walkTo(toWorld(e));
  });
  canvas.addEventListener("mousemove", function (e) {
    if (pointer.down && game.state === "playing") { walkTo(toWorld(e)); }
  });
  window.addEventListener("mouseup", function () { pointer.down = false; });
  document.getElementById("restart").addEventListener("click", function () {
    newGame();
    game.state = "playing";
    canvas.focus();
  });

  // --- simulation -----------------------------------------------------------

  function blocked(x, y) {
    var left = Math.floor((x - PLAYER_HALF) / TILE), right = Math.floor((x + PLAYER_HALF) / TILE);
    var top = Math.floor((y - PLAYER_HALF) / TILE), bottom = Math.floor((y + PLAYER_HALF) / TILE);
    return isWall(game.grid, left, top) || isWall(game.grid, right, top) ||
           isWall(game.grid, left, bottom) || isWall(game.grid, right, bottom);
  }

  function movePlayer(dt) {
    var p = game.player, dx = 0, dy = 0;
    for (var k in keys) { if (KEY_DIRS[k]) { dx += KEY_DIRS[k][0]; dy += KEY_DIRS[k][1]; } }
    if (!dx && !dy && p.path.length) {
      var next = p.path[0], tx = next.x - p.x, ty = next.y - p.y, len = Math.hypot(tx, ty);
      if (len < 3) { p.path.shift(); } else { dx = tx / len; dy = ty / len; }
    }
    var len2 = Math.hypot(dx, dy);
    if (!len2) { return; }
    var step = PLAYER_SPEED * dt / len2;
    if (!blocked(p.x + dx * step, p.y)) { p.x += dx * step; }
    if (!blocked(p.x, p.y + dy * step)) { p.y += dy * step; }
    if (dx) { p.face = dx > 0 ? 1 : -1; }
    p.walk += dt * 10;
  }

  function moveSlimes(dt) {
    game.chaseTimer -= dt;
    var here = cellOf(game.player.x, game.player.y);
    if (game.chaseTimer <= 0) {
      game.chase = distancesFrom(game.grid, here.c, here.r);
      game.chaseTimer = 0.25;
    }
    game.slimes.forEach(function (s) {
      s.phase += dt * 6;
      var cell = cellOf(s.x, s.y), goal;
      if (cell.c === here.c && cell.r === here.r) {
        goal = { x: game.player.x, y: game.player.y };
      } else {
        if (!s.target || Math.hypot(s.target.x - s.x, s.target.y - s.y) < 2) {
          var next = stepToward(game.chase, cell.c, cell.r);
          s.target = next ? cellCenter(next.c, next.r) : cellCenter(cell.c, cell.r);
        }
        goal = s.target;
      }
      var tx = goal.x - s.x, ty = goal.y - s.y, len = Math.hypot(tx, ty);
      if (len > 0.5) {
        var step = Math.min(len, s.speed * dt);
        s.x += tx / len * step;
        s.y += ty / len * step;
      }
    });
  }

  function burst(x, y, color, count) {
    for (var i = 0; i < count; i++) {
      var a = Math.random() * Math.PI * 2, v = 40 + Math.random() * 120;
      game.particles.push({ x: x, y: y, vx: Math.cos(a) * v, vy: Math.sin(a) * v, life: 0.6 + Math.random() * 0.4, color: color });
    }
  }

  function floatText(x, y, text, color) { game.texts.push({ x: x, y: y, text: text, color: color, life: 1 }); }

  function collide() {
    var p = game.player;
    for (var i = game.gems.length - 1; i >= 0; i--) {
      var g = game.gems[i];
      if (Math.hypot(g.x - p.x, g.y - p.y) < HIT_DISTANCE) {
        game.gems.splice(i, 1);
        game.score += g.kind.value;
        burst(g.x, g.y, g.kind.light, 14);
        floatText(g.x, g.y - 10, "+" + g.kind.value, g.kind.light);
        updateHud();
      }
    }
    if (p.hurt <= 0) {
      for (var j = 0; j < game.slimes.length; j++) {
        var s = game.slimes[j];
        if (Math.hypot(s.x - p.x, s.y - p.y) < HIT_DISTANCE) {
          game.lives -= 1;
          p.hurt = 2;
          burst(p.x, p.y, "#ff5050", 22);
          floatText(p.x, p.y - 16, "-1 ♥", "#ff7070");
          game.slimes[j] = spawnSlime();
          updateHud();
          if (game.lives <= 0) {
            game.state = "over";
            if (game.score > game.best) { game.best = game.score; saveBest(game.best); }
            updateHud();
          }
          break;
        }
      }
    }
    if (!game.gems.length && game.state === "playing") {
      var bonus = 100 * game.level;
      game.score += bonus;
      floatText(p.x, p.y - 20, "通关奖励 +" + bonus, "#f8dc94");
      game.state = "clear";
      game.timer = 1.8;
      updateHud();
    }
  }

  function update(dt) {
    game.particles = game.particles.filter(function (q) {
      q.x += q.vx * dt; q.y += q.vy * dt; q.vx *= 0.92; q.vy *= 0.92; q.life -= dt; return q.life > 0;
    });
    game.texts = game.texts.filter(function (t) { t.y -= 30 * dt; t.life -= dt * 0.8; return t.life > 0; });
    game.gems.forEach(function (g) { g.phase += dt * 3; });
    if (game.state === "clear") {
      game.timer -= dt;
      if (game.timer <= 0) { game.level += 1; startLevel(); game.state = "playing"; updateHud(); }
      return;
    }
    if (game.state !== "playing") { return; }
    game.player.hurt = Math.max(0, game.player.hurt - dt);
    movePlayer(dt);
    moveSlimes(dt);
    collide();
  }

  // --- drawing --------------------------------------------------------------

  function shade(n) { return "rgb(" + n[0] + "," + n[1] + "," + n[2] + ")"; }

  function paintBackground(grid) {
    var bg = document.createElement("canvas");
    bg.width = WORLD_W; bg.height = WORLD_H;
    var g = bg.getContext("2d");
    for (var r = 0; r < ROWS; r++) {
      for (var c = 0; c < COLS; c++) {
        var x = c * TILE, y = r * TILE;
        if (grid[r][c] === 1) { continue; }
        var base = 34 + rand(10);
        g.fillStyle = shade([base + 6, base, base - 8]);
        g.fillRect(x, y, TILE, TILE);
        g.fillStyle = "rgba(0,0,0,0.35)";
        g.fillRect(x, y + TILE - 2, TILE, 2);
        g.fillRect(x + TILE - 2, y, 2, TILE);
        g.fillStyle = "rgba(255,220,160,0.05)";
        g.fillRect(x + 2, y + 2, TILE - 6, 2);
        if (Math.random() < 0.18) {
          g.strokeStyle = "rgba(0,0,0,0.35)";
          g.beginPath();
          g.moveTo(x + 6 + rand(10), y + 8 + rand(10));
          g.lineTo(x + 18 + rand(12), y + 20 + rand(12));
          g.stroke();
        }
      }
    }
    for (r = 0; r < ROWS; r++) {
      for (c = 0; c < COLS; c++) {
        if (grid[r][c] !== 1) { continue; }
        x = c * TILE; y = r * TILE;
        var grad = g.createLinearGradient(x, y, x, y + TILE);
        grad.addColorStop(0, "#4a3a2a");
        grad.addColorStop(1, "#241a12");
        g.fillStyle = grad;
        g.fillRect(x, y, TILE, TILE);
        g.strokeStyle = "rgba(0,0,0,0.55)";
        g.lineWidth = 1;
        var joint = (c + r) % 2 ? TILE / 2 : TILE / 4;  // staggered brick joints
        g.beginPath();
        g.moveTo(x, y + TILE / 2 + 0.5); g.lineTo(x + TILE, y + TILE / 2 + 0.5);
        g.moveTo(x + joint + 0.5, y); g.lineTo(x + joint + 0.5, y + TILE / 2);
        g.moveTo(x + (joint + TILE / 2) % TILE + 0.5, y + TILE / 2); g.lineTo(x + (joint + TILE / 2) % TILE + 0.5, y + TILE);
        g.stroke();
        g.fillStyle = "#e3b65a";
        if (!isWall(grid, c, r + 1)) {
          g.fillRect(x, y + TILE - 3, TILE, 3);
          g.fillStyle = "rgba(0,0,0,0.45)";
          g.fillRect(x, y + TILE, TILE, 8);
          g.fillStyle = "#e3b65a";
        }
        if (!isWall(grid, c, r - 1)) { g.fillStyle = "rgba(227,182,90,0.55)"; g.fillRect(x, y, TILE, 2); }
        g.fillStyle = "rgba(227,182,90,0.35)";
        if (!isWall(grid, c - 1, r)) { g.fillRect(x, y, 2, TILE); }
        if (!isWall(grid, c + 1, r)) { g.fillRect(x + TILE - 2, y, 2, TILE); }
      }
    }
    return bg;
  }

  function findTorches(grid) {
    var torches = [];
    for (var c = 2; c < COLS - 2; c += 5) {
      if (!isWall(grid, c, 1)) { torches.push({ x: c * TILE + TILE / 2, y: TILE - 8, phase: Math.random() * 6 }); }
      if (!isWall(grid, c + 2, ROWS - 2)) { torches.push({ x: (c + 2) * TILE + TILE / 2, y: (ROWS - 1) * TILE + 10, phase: Math.random() * 6 }); }
    }
    return torches;
  }

  function drawGem(g, now) {
    var bob = Math.sin(g.phase) * 3, k = g.kind, x = g.x, y = g.y + bob, s = 11;
    var glow = ctx.createRadialGradient(x, y, 2, x, y, 26);
    glow.addColorStop(0, k.light + "88");
    glow.addColorStop(1, k.light + "00");
    ctx.fillStyle = glow;
    ctx.fillRect(x - 26, y - 26, 52, 52);
    ctx.fillStyle = "rgba(0,0,0,0.35)";
    ctx.beginPath(); ctx.ellipse(g.x, g.y + 14, 8 - bob * 0.5, 3, 0, 0, 7); ctx.fill();
    var body = ctx.createLinearGradient(x - s, y - s, x + s, y + s);
    body.addColorStop(0, k.light); body.addColorStop(0.5, k.mid); body.addColorStop(1, k.dark);
    ctx.fillStyle = body;
    ctx.beginPath();
    ctx.moveTo(x, y - s * 1.2); ctx.lineTo(x + s, y - s * 0.2); ctx.lineTo(x, y + s * 1.2); ctx.lineTo(x - s, y - s * 0.2);
    ctx.closePath(); ctx.fill();
    ctx.strokeStyle = "rgba(255,245,220,0.8)"; ctx.lineWidth = 1.2; ctx.stroke();
    ctx.beginPath(); ctx.moveTo(x - s, y - s * 0.2); ctx.lineTo(x + s, y - s * 0.2);
    ctx.moveTo(x - s * 0.4, y - s * 0.2); ctx.lineTo(x, y + s * 1.2); ctx.lineTo(x + s * 0.4, y - s * 0.2);
    ctx.strokeStyle = "rgba(255,255,255,0.35)"; ctx.stroke();
    var twinkle = (Math.sin(now / 300 + g.phase * 2) + 1) / 2;
    ctx.fillStyle = "rgba(255,255,255," + (0.4 + twinkle * 0.6) + ")";
    ctx.beginPath(); ctx.arc(x - s * 0.35, y - s * 0.55, 1.6 + twinkle, 0, 7); ctx.fill();
  }

  function drawSlime(s) {
    var squash = Math.sin(s.phase) * 0.12, w = 15 * (1 + squash), h = 13 * (1 - squash);
    ctx.fillStyle = "rgba(0,0,0,0.4)";
    ctx.beginPath(); ctx.ellipse(s.x, s.y + 12, w, 4, 0, 0, 7); ctx.fill();
    var body = ctx.createRadialGradient(s.x - 5, s.y - 6, 2, s.x, s.y, 18);
    body.addColorStop(0, "hsl(" + s.hue + ",80%,75%)");
    body.addColorStop(0.6, "hsl(" + s.hue + ",60%,42%)");
    body.addColorStop(1, "hsl(" + s.hue + ",70%,20%)");
    ctx.fillStyle = body;
    ctx.beginPath();
    ctx.moveTo(s.x - w, s.y + 10);
    ctx.quadraticCurveTo(s.x - w, s.y - h - 6, s.x, s.y - h - 6);
    ctx.quadraticCurveTo(s.x + w, s.y - h - 6, s.x + w, s.y + 10);
    ctx.closePath(); ctx.fill();
    var lookX = Math.max(-2, Math.min(2, (game.player.x - s.x) / 40));
    var lookY = Math.max(-2, Math.min(2, (game.player.y - s.y) / 40));
    [-5, 5].forEach(function (ox) {
      ctx.fillStyle = "#fff";
      ctx.beginPath(); ctx.arc(s.x + ox, s.y - 4, 3.6, 0, 7); ctx.fill();
      ctx.fillStyle = "#1a0620";
      ctx.beginPath(); ctx.arc(s.x + ox + lookX, s.y - 4 + lookY, 1.8, 0, 7); ctx.fill();
    });
  }

  function drawPlayer(now) {
    var p = game.player;
    if (p.hurt > 0 && Math.floor(now / 90) % 2) { return; }
    var bounce = Math.abs(Math.sin(p.walk)) * 2, x = p.x, y = p.y - bounce;
    ctx.fillStyle = "rgba(0,0,0,0.45)";
    ctx.beginPath(); ctx.ellipse(p.x, p.y + 13, 12, 4, 0, 0, 7); ctx.fill();
    ctx.fillStyle = "#8e1b22";  // cape
    ctx.beginPath(); ctx.moveTo(x - 10, y - 4); ctx.lineTo(x - 13 - p.face * 2, y + 13); ctx.lineTo(x + 13 - p.face * 2, y + 13); ctx.lineTo(x + 10, y - 4); ctx.fill();
    var armour = ctx.createLinearGradient(x - 12, y - 16, x + 12, y + 12);
    armour.addColorStop(0, "#fff0c0"); armour.addColorStop(0.5, "#e3b65a"); armour.addColorStop(1, "#7a5316");
    ctx.fillStyle = armour;
    ctx.beginPath(); ctx.arc(x, y + 2, 10, 0, 7); ctx.fill();
    ctx.beginPath(); ctx.arc(x, y - 9, 8.5, 0, 7); ctx.fill();
    ctx.strokeStyle = "#3a2608"; ctx.lineWidth = 1.4;
    ctx.beginPath(); ctx.arc(x, y - 9, 8.5, 0, 7); ctx.stroke();
    ctx.fillStyle = "#1a1008";  // visor
    ctx.fillRect(x - 5 + p.face * 2, y - 10, 8, 2.6);
    ctx.fillStyle = "#d42a2a";  // plume
    ctx.beginPath(); ctx.moveTo(x, y - 17); ctx.quadraticCurveTo(x - p.face * 12, y - 24, x - p.face * 14, y - 12); ctx.quadraticCurveTo(x - p.face * 6, y - 18, x, y - 15); ctx.fill();
    ctx.strokeStyle = "#dfe6f0"; ctx.lineWidth = 2.5;  // sword
    ctx.beginPath(); ctx.moveTo(x + p.face * 9, y + 4); ctx.lineTo(x + p.face * 19, y - 10); ctx.stroke();
    ctx.strokeStyle = "#e3b65a"; ctx.lineWidth = 2;
    ctx.beginPath(); ctx.moveTo(x + p.face * 7, y); ctx.lineTo(x + p.face * 13, y + 6); ctx.stroke();
  }

  function drawLighting(now) {
    var p = game.player;
    var dark = ctx.createRadialGradient(p.x, p.y, 60, p.x, p.y, 420);
    dark.addColorStop(0, "rgba(5,3,2,0)");
    dark.addColorStop(1, "rgba(5,3,2,0.62)");
    ctx.fillStyle = dark;
    ctx.fillRect(0, 0, WORLD_W, WORLD_H);
    ctx.globalCompositeOperation = "lighter";
    game.torches.forEach(function (t) {
      var flicker = 0.8 + Math.sin(now / 120 + t.phase) * 0.1 + Math.sin(now / 47 + t.phase) * 0.06;
      var glow = ctx.createRadialGradient(t.x, t.y, 2, t.x, t.y, 90 * flicker);
      glow.addColorStop(0, "rgba(255,170,60,0.35)");
      glow.addColorStop(1, "rgba(255,120,30,0)");
      ctx.fillStyle = glow;
      ctx.fillRect(t.x - 100, t.y - 100, 200, 200);
      ctx.fillStyle = "rgba(255,210,120," + (0.7 * flicker) + ")";
      ctx.beginPath(); ctx.ellipse(t.x, t.y - 3, 3, 6 * flicker, 0, 0, 7); ctx.fill();
    });
    ctx.globalCompositeOperation = "source-over";
  }

  function banner(title, lines) {
    ctx.fillStyle = "rgba(8,6,4,0.72)";
    ctx.fillRect(0, 0, WORLD_W, WORLD_H);
    var w = 520, h = 110 + lines.length * 30, x = (WORLD_W - w) / 2, y = (WORLD_H - h) / 2;
    ctx.fillStyle = "rgba(20,14,9,0.95)";
    ctx.fillRect(x, y, w, h);
    ctx.strokeStyle = "#e3b65a"; ctx.lineWidth = 2; ctx.strokeRect(x + 0.5, y + 0.5, w - 1, h - 1);
    ctx.strokeStyle = "rgba(227,182,90,0.35)"; ctx.lineWidth = 1; ctx.strokeRect(x + 6.5, y + 6.5, w - 13, h - 13);
    ctx.textAlign = "center";
    var gold = ctx.createLinearGradient(0, y + 24, 0, y + 64);
    gold.addColorStop(0, "#fff1c4"); gold.addColorStop(0.5, "#e3b65a"); gold.addColorStop(1, "#9a6c1e");
    ctx.fillStyle = gold;
    ctx.font = "700 34px 'Noto Serif CJK SC', serif";
    ctx.fillText(title, WORLD_W / 2, y + 62);
    ctx.font = "16px 'Noto Sans CJK SC', sans-serif";
    lines.forEach(function (line, i) {
      ctx.fillStyle = i === lines.length - 1 ? "#f8dc94" : "#c9b68c";
      ctx.fillText(line, WORLD_W / 2, y + 104 + i * 30);
    });
  }

  function draw(now) {
    var dpr = view.dpr;
    ctx.setTransform(dpr, 0, 0, dpr, 0, 0);
    ctx.fillStyle = "#0b0907";
    ctx.fillRect(0, 0, canvas.width, canvas.height);
    ctx.setTransform(dpr * view.scale, 0, 0, dpr * view.scale, dpr * view.x, dpr * view.y);
    ctx.drawImage(game.background, 0, 0);
    game.gems.forEach(function (g) { drawGem(g, now); });
    game.slimes.forEach(drawSlime);
    drawPlayer(now);
    drawLighting(now);
    game.particles.forEach(function (q) {
      ctx.globalAlpha = Math.max(0, Math.min(1, q.life));
      ctx.fillStyle = q.color;
      ctx.fillRect(q.x - 2, q.y - 2, 4, 4);
    });
    ctx.globalAlpha = 1;
    ctx.textAlign = "center";
    ctx.font = "700 16px 'Noto Sans CJK SC', sans-serif";
    game.texts.forEach(function (t) {
      ctx.globalAlpha = Math.max(0, Math.min(1, t.life));
      ctx.fillStyle = t.color;
      ctx.fillText(t.text, t.x, t.y);
    });
    ctx.globalAlpha = 1;
    ctx.strokeStyle = "rgba(227,182,90,0.6)"; ctx.lineWidth = 2;
    ctx.strokeRect(-1, -1, WORLD_W + 2, WORLD_H + 2);
    if (game.state === "ready") {
      banner("宝石地牢", ["收集本层全部宝石即可进入下一层，当心紫色史莱姆！",
                          "方向键 / WASD 移动 · 鼠标点击前往 · P 暂停 · R 重新开始",
                          "按任意键或点击开始冒险"]);
    } else if (game.state === "paused") {
      banner("暂停", ["按 P 或点击继续"]);
    } else if (game.state === "over") {
      banner("勇士倒下了", ["第 " + game.level + " 层 · 得分 " + game.score + " · 最高 " + game.best,
                            "按 R 键或点击重新开始"]);
    } else if (game.state === "clear") {
      banner("第 " + game.level + " 层 通关！", ["深渊更深处还有更多宝石……"]);
    }
  }

  function fit() {
    var rect = canvas.getBoundingClientRect();
    view.dpr = window.devicePixelRatio || 1;
    canvas.width = Math.max(1, Math.round(rect.width * view.dpr));
    canvas.height = Math.max(1, Math.round(rect.height * view.dpr));
    var margin = 12;
    view.scale = Math.max(0.1, Math.min((rect.width - margin * 2) / WORLD_W, (rect.height - margin * 2) / WORLD_H));
    view.x = (rect.width - WORLD_W * view.scale) / 2;
    view.y = (rect.height - WORLD_H * view.scale) / 2;
  }

  var last = performance.now();
  function frame(now) {
    var dt = Math.min(0.05, (now - last) / 1000);
    last = now;
    update(dt);
    draw(now);
    requestAnimationFrame(frame);
  }

  window.addEventListener("resize", fit);
  newGame();
  fit();
  canvas.focus();
  requestAnimationFrame(frame);
})();
