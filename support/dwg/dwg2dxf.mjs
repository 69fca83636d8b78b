// Velorin's DWG converter: node --liftoff-only dwg2dxf.mjs IN.dwg OUT.dxf
//
// Reads a DWG with LibreDWG (the npm package @mlightcad/libredwg-web, GPL-3.0, source at
// https://github.com/mlightcad/libredwg-web) and writes a DXF that Velorin's reader reads
// right. It runs as a process of its own so the GPL code stays out of Velorin's programs.
//
// The library's DXF writer switches every layer off, loses frozen states and true-colour
// layers' colours, and starts the file with a 999 comment; the layer objects it also
// returns hold the real states, so the layer records are repaired from them. Entities
// the writer leaves out are reported on stderr as "warning: ..." lines; a failure is one
// "error: ..." line and exit status 2. Stdout is not used (the library prints there).
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

function repair(items, layers) {
  // Drop the leading comments.
  while (items.length && items[0][0] === '999') items.shift();
  let section = '';
  let table = '';
  let hasCodepage = false;
  let acadverAt = -1;
  const written = new Map();
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
    if (section === 'TABLES' && table === 'LAYER' && code === '0' && value === 'LAYER') {
      let end = i + 1;
      while (end < items.length && items[end][0] !== '0') ++end;
      const handle = items.slice(i + 1, end).find((p) => p[0] === '5');
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
    if (section === 'ENTITIES' && code === '0' && value !== 'ENDSEC') {
      // The writer leaves some entities (ACAD_TABLE) as a bare type with nothing after
      // it: not an entity a reader can place, so it goes and counts as not written.
      if (items[i + 1] && items[i + 1][0] === '0') {
        items.splice(i, 1);
        --i;
        continue;
      }
      const type = value.trim();
      let paper = false;
      for (let k = i + 1; k < items.length && items[k][0] !== '0'; ++k)
        if (items[k][0] === '67' && items[k][1].trim() === '1') paper = true;
      if (!SUBORDINATE.has(type) && !paper) written.set(type, (written.get(type) || 0) + 1);
    }
    if (code === '0' && value === 'ENDSEC') section = '';
  }
  if (!hasCodepage && acadverAt >= 0)
    items.splice(acadverAt + 2, 0, ['9', '$DWGCODEPAGE'], ['3', 'ANSI_1252']);
  return written;
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
  for (const p of lib.dwg_getall_entities_in_model_space(data)) {
    const t = dxfType(wasm.dwg_object_get_dxfname(p));
    if (!SUBORDINATE.has(t)) inDwg.set(t, (inDwg.get(t) || 0) + 1);
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
  const written = repair(items, layers);
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
