// Velorin's DWG converter: node --liftoff-only dwg2dxf.mjs IN.dwg OUT.dxf
//
// Reads a DWG with LibreDWG (the npm package @mlightcad/libredwg-web, GPL-3.0, source at
// https://github.com/mlightcad/libredwg-web) and writes a DXF that Velorin's reader reads
// right. It runs as a process of its own so the GPL code stays out of Velorin's programs.
//
// The library's DXF writer switches every layer off, loses frozen states and true-colour
// layers' colours, and starts the file with a 999 comment; the layer objects it also
// returns hold the real states, so the layer records are repaired from them. It writes
// R2010+ tables as a bare type; they are written as an INSERT of the table's own block
// instead (tablePlacement). Entities the writer leaves out are reported on stderr as
// "warning: ..." lines; a failure is one "error: ..." line and exit status 2. Stdout is
// not used (the library prints there).
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));

function fail(message) {
  process.stderr.write(`error: ${message}\n`);
  process.exit(2);
}

process.on('uncaughtException', (e) => fail(`转换器内部错误：${e && e.message ? e.message : e}`));
process.on('unhandledRejection', (e) => fail(`转换器内部错误：${e && e.message ? e.message : e}`));

// A DXF as (code, value) pairs over the raw bytes read as latin1, so texts in any code
// page pass through unchanged.
function pairs(text) {
  const lines = text.split(/\r?\n/);
  const out = [];
  for (let i = 0; i + 1 < lines.length; i += 2) out.push([lines[i].trim(), lines[i + 1]]);
  return out;
}

// The DWG's own model-space entity names as the DXF writes them.
function dxfType(name) {
  if (name.startsWith('DIMENSION_')) return 'DIMENSION';
  if (name.startsWith('POLYLINE_')) return 'POLYLINE';
  if (name.startsWith('VERTEX_')) return 'VERTEX';
  return name;
}
const SUBORDINATE = new Set(['VERTEX', 'SEQEND', 'ATTRIB']);

// Where the record starting at items[i] ends: at its next 0 group.
function recordEnd(items, i) {
  let end = i + 1;
  while (end < items.length && items[end][0] !== '0') ++end;
  return end;
}

// Repairs the layer records, the leading comment and the code page in place, drops the
// bare records, and says what the writer wrote: model-space entities per type, the raw
// names of layers and blocks by handle, the block a table or insert refers to (the block
// records' BLKREFS lists), the blocks defined and the tables written in full.
function repair(items, layers) {
  // Drop the leading comments.
  while (items.length && items[0][0] === '999') items.shift();
  let section = '';
  let table = '';
  let hasCodepage = false;
  let acadverAt = -1;
  const written = new Map();
  const layerNames = new Map();
  const blockOf = new Map();
  const blocks = new Set();
  const tablesWritten = new Set();
  for (let i = 0; i < items.length; ++i) {
    const [code, value] = items[i];
    if (code === '0' && value === 'SECTION' && items[i + 1] && items[i + 1][0] === '2') {
      section = items[i + 1][1].trim();
      continue;
    }
    if (section === 'HEADER' && code === '9') {
      if (value === '$DWGCODEPAGE') hasCodepage = true;
      if (value === '$ACADVER') acadverAt = i;
    }
    if (section === 'TABLES' && code === '0' && value === 'TABLE') table = items[i + 1][1].trim();
    const inTable = (name) =>
      section === 'TABLES' && table === name && code === '0' && value === name;
    if (inTable('BLOCK_RECORD')) {
      const end = recordEnd(items, i);
      const group = (c) => items.slice(i + 1, end).find((p) => p[0] === c);
      const name = group('2');
      const handle = group('5');
      if (name && handle)
        for (const [c, v] of items.slice(i + 1, end))
          if (c === '331')
            blockOf.set(v.trim().toUpperCase(), { name: name[1], record: handle[1].trim() });
      i = end - 1;
      continue;
    }
    if (inTable('LAYER')) {
      const end = recordEnd(items, i);
      const handle = items.slice(i + 1, end).find((p) => p[0] === '5');
      const name = items.slice(i + 1, end).find((p) => p[0] === '2');
      if (handle && name) layerNames.set(handle[1].trim().toUpperCase(), name[1]);
      const layer = handle && layers.get(handle[1].trim().toUpperCase());
      if (layer) {
        for (let k = i + 1; k < end; ++k) {
          if (items[k][0] === '62') {
            const old = Math.abs(parseInt(items[k][1], 10)) || 7;
            const ci = layer.colorIndex >= 1 && layer.colorIndex <= 255 ? layer.colorIndex : old;
            items[k][1] = String(layer.off ? -ci : ci).padStart(6);
          } else if (items[k][0] === '70') {
            const flags = parseInt(items[k][1], 10) || 0;
            items[k][1] = String(layer.frozen ? flags | 1 : flags & ~1).padStart(6);
          }
        }
      }
      i = end - 1;
      continue;
    }
    if (section === 'BLOCKS' && code === '0' && value === 'BLOCK') {
      const name = items.slice(i + 1, recordEnd(items, i)).find((p) => p[0] === '2');
      if (name) blocks.add(name[1]);
    }
    if (section === 'ENTITIES' && code === '0' && value !== 'ENDSEC') {
      // The writer leaves some entities (R2010+ ACAD_TABLE) as a bare type with nothing
      // after it: not an entity a reader can place, so it goes and counts as not written.
      if (items[i + 1] && items[i + 1][0] === '0') {
        items.splice(i, 1);
        --i;
        continue;
      }
      const type = value.trim();
      let paper = false;
      for (let k = i + 1; k < items.length && items[k][0] !== '0'; ++k) {
        if (items[k][0] === '67' && items[k][1].trim() === '1') paper = true;
        if (items[k][0] === '5' && type === 'ACAD_TABLE')
          tablesWritten.add(items[k][1].trim().toUpperCase());
      }
      if (!SUBORDINATE.has(type) && !paper) written.set(type, (written.get(type) || 0) + 1);
    }
    if (code === '0' && value === 'ENDSEC') section = '';
  }
  if (!hasCodepage && acadverAt >= 0)
    items.splice(acadverAt + 2, 0, ['9', '$DWGCODEPAGE'], ['3', 'ANSI_1252']);
  return { written, layerNames, blockOf, blocks, tablesWritten };
}

// Where a table's block goes. LibreDWG does not decode the table record of R2010 and
// newer (no insertion point, no block), but it gives the graphics the CAD program stored
// with the table, and those begin with the matrix that maps the table's "*T" block into
// the drawing (a push-matrix record, type 29: 16 doubles by rows). For R2000 tables,
// whose record LibreDWG does decode, that matrix equals the decoded insertion point and
// direction. Only a placement an INSERT can express is taken: no tilt out of the plan,
// axes at right angles.
function tablePlacement(graphics) {
  if (!graphics || graphics.length < 8 + 8 + 128) return null;
  const view = new DataView(graphics.buffer, graphics.byteOffset, graphics.byteLength);
  if (view.getInt32(8, true) !== 8 + 128 || view.getInt32(12, true) !== 29) return null;
  const m = [];
  for (let k = 0; k < 16; ++k) m.push(view.getFloat64(16 + 8 * k, true));
  if (!m.every(Number.isFinite)) return null;
  const [a, b, c, tx, d, e, f, ty, g, h, zs, tz, p, q, r, w] = m;
  const xs = Math.hypot(a, d);
  const ys = xs ? (a * e - b * d) / xs : 0;
  const tiny = 1e-9 * Math.max(xs, Math.abs(ys), Math.abs(zs));
  const plan = [c, f, g, h, p, q, r].every((v) => Math.abs(v) <= tiny) && w === 1;
  const square = Math.abs(a * b + d * e) <= tiny * Math.max(xs, Math.abs(ys));
  if (!plan || !square || !xs || !ys || !zs) return null;
  let rotation = (Math.atan2(d, a) * 180) / Math.PI;
  if (rotation < 0) rotation += 360;
  const at = (x, y, z) => [a * x + b * y + tx, d * x + e * y + ty, zs * z + tz];
  return { xs, ys, zs, rotation, at };
}

// A number as DXF text: the shortest that reads back the same, never in exponent form.
function num(v) {
  const s = String(v);
  return /e/i.test(s) ? v.toFixed(12).replace(/\.?0+$/, '') : s;
}

// The INSERT that draws a table the writer left bare, or null when the table cannot be
// placed (then it stays reported as not written).
function tableInsert(table, entity, db, found) {
  const placed = tablePlacement(table.graphics);
  const block = found.blockOf.get(table.handle);
  if (!placed || !entity || !block || !found.blocks.has(block.name)) return null;
  const layer = db.tables.LAYER.entries.find((l) => l.name === entity.layer);
  const layerName = layer && found.layerNames.get(String(layer.handle).toUpperCase());
  if (layerName === undefined) return null;
  const record = (db.tables.BLOCK_RECORD?.entries || []).find(
    (r) => String(r.handle).toUpperCase() === block.record.toUpperCase());
  const base = (record && record.basePoint) || { x: 0, y: 0, z: 0 };
  const [x, y, z] = placed.at(base.x, base.y, base.z);
  const out = [['0', 'INSERT'], ['5', table.handle]];
  if (entity.ownerBlockRecordSoftId) out.push(['330', String(entity.ownerBlockRecordSoftId)]);
  out.push(['100', 'AcDbEntity'], ['8', layerName]);
  if (entity.colorIndex >= 0 && entity.colorIndex <= 255)
    out.push(['62', String(entity.colorIndex).padStart(6)]);
  out.push(['100', 'AcDbBlockReference'], ['2', block.name]);
  out.push(['10', num(x)], ['20', num(y)], ['30', num(z)]);
  if (placed.xs !== 1) out.push(['41', num(placed.xs)]);
  if (placed.ys !== 1) out.push(['42', num(placed.ys)]);
  if (placed.zs !== 1) out.push(['43', num(placed.zs)]);
  if (Math.abs(placed.rotation) > 1e-12) out.push(['50', num(placed.rotation)]);
  return out;
}

async function main() {
  const [input, output] = process.argv.slice(2);
  if (!input || !output) fail('用法：node --liftoff-only dwg2dxf.mjs IN.dwg OUT.dxf');
  let bytes;
  try {
    bytes = fs.readFileSync(input);
  } catch (e) {
    fail(`无法读取文件：${e.message}`);
  }
  const { LibreDwg, Dwg_File_Type } = await import('@mlightcad/libredwg-web');
  const lib = await LibreDwg.create(path.join(here, 'node_modules/@mlightcad/libredwg-web/wasm/'));
  const wasm = lib.wasmInstance;

  // The library's reader: layer objects and the model-space entities.
  const data = lib.dwg_read_data(new Uint8Array(bytes), Dwg_File_Type.DWG);
  if (data === undefined || data === 0) fail('不是可读的 DWG 文件（文件损坏、不完整或版本不受支持）');
  const inDwg = new Map();
  const tables = [];
  for (const p of lib.dwg_getall_entities_in_model_space(data)) {
    const t = dxfType(wasm.dwg_object_get_dxfname(p));
    if (!SUBORDINATE.has(t)) inDwg.set(t, (inDwg.get(t) || 0) + 1);
    if (t === 'ACAD_TABLE') {
      const handle = lib.dwg_object_get_handle_object(p)?.value;
      const graphics = lib.dwg_entity_get_preview(p);
      if (handle !== undefined)
        tables.push({
          handle: BigInt(handle).toString(16).toUpperCase(),
          graphics: graphics ? Uint8Array.from(graphics) : null,
        });
    }
  }
  const db = lib.convert(data);
  const layers = new Map();
  for (const l of db.tables.LAYER.entries) layers.set(String(l.handle).toUpperCase(), l);
  lib.dwg_free(data);

  // The library's DXF writer.
  wasm.FS.writeFile('in.dwg', new Uint8Array(bytes));
  const code = wasm.dwg_write_dxf('in.dwg', 'out.dxf');
  // LibreDWG's error codes below 128 are warnings about parts it skipped.
  if (code >= 128 || !wasm.FS.analyzePath('out.dxf', false).exists)
    fail(`文件损坏、不完整或版本不受支持，LibreDWG 无法转换（错误码 ${code}）`);
  const dxf = Buffer.from(wasm.FS.readFile('out.dxf')).toString('latin1');
  if (!/\n\s*0\r?\nEOF/.test(dxf)) fail('LibreDWG 写出的 DXF 不完整');

  const items = pairs(dxf);
  const found = repair(items, layers);
  const written = found.written;
  // Tables the writer left bare go in as INSERTs of their blocks at the end of ENTITIES.
  const inserts = [];
  for (const table of tables) {
    if (found.tablesWritten.has(table.handle)) continue;
    const entity = db.entities.find((e) => String(e.handle).toUpperCase() === table.handle);
    const insert = tableInsert(table, entity, db, found);
    if (!insert) continue;
    inserts.push(...insert);
    written.set('ACAD_TABLE', (written.get('ACAD_TABLE') || 0) + 1);
  }
  if (inserts.length) {
    let section = '';
    for (let i = 0; i < items.length; ++i) {
      const [code, value] = items[i];
      if (code === '0' && value === 'SECTION' && items[i + 1]) section = items[i + 1][1].trim();
      if (code === '0' && value === 'ENDSEC' && section === 'ENTITIES') {
        items.splice(i, 0, ...inserts);
        break;
      }
    }
  }
  for (const [type, n] of inDwg) {
    const lost = n - (written.get(type) || 0);
    if (lost > 0) process.stderr.write(`warning: 未能转换的实体：${type} ${lost} 个\n`);
  }
  const eol = dxf.includes('\r\n') ? '\r\n' : '\n';
  const text = items.map(([c, v]) => `${c.padStart(3)}${eol}${v}${eol}`).join('');
  try {
    fs.writeFileSync(output, Buffer.from(text, 'latin1'));
  } catch (e) {
    fail(`无法写出 ${output}：${e.message}`);
  }
}

await main();
