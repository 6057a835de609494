// Model files made to hurt a reader: counts that claim a billion records
// in a few bytes, in text, in binary and behind a compressed container
// that claims 4 GB. Written into `folder`; returns their paths.
import fs from 'node:fs';
import path from 'node:path';

const kBillion = 1_000_000_000;

function binaryModel() {
  const parts = [Buffer.from('xof 0303bin 0032')];
  const u16 = (v) => { const b = Buffer.alloc(2); b.writeUInt16LE(v); parts.push(b); };
  const u32 = (v) => { const b = Buffer.alloc(4); b.writeUInt32LE(v); parts.push(b); };
  const kName = 1, kIntegerList = 6, kFloatList = 7, kOpenBrace = 10;
  u16(kName); u32(4); parts.push(Buffer.from('Mesh'));
  u16(kOpenBrace);
  u16(kIntegerList); u32(kBillion); u32(1); u32(2); u32(3);
  u16(kFloatList); u32(kBillion);
  for (const value of [1, 2, 3]) { const b = Buffer.alloc(4); b.writeFloatLE(value); parts.push(b); }
  return Buffer.concat(parts);
}

function compressedModel() {
  const header = Buffer.from('xof 0303tzip0032');
  const sizes = Buffer.alloc(8);
  sizes.writeUInt32LE(0xFFFFFFFF, 0);  // the whole file, inflated
  sizes.writeUInt16LE(40000, 4);       // this block, inflated: more than a block holds
  sizes.writeUInt16LE(10, 6);          // this block, deflated
  return Buffer.concat([header, sizes, Buffer.from('CK'), Buffer.alloc(8)]);
}

export function hostileModels(folder) {
  const text = 'xof 0303txt 0032\n' +
    `Mesh { ${kBillion}; 0;0;0;, 1;0;0;, 0;1;0;;\n ${kBillion}; 3;0,1,2;;\n` +
    ` MeshNormals { ${kBillion}; 0;0;1;; ${kBillion}; 3;0,0,0;; }\n` +
    ` MeshTextureCoords { ${kBillion}; 0;0;; }\n MeshMaterialList { ${kBillion}; ${kBillion}; 0;; } }\n` +
    `AnimationSet { Animation { { Mesh } AnimationKey { 0; ${kBillion}; 0;4;1,0,0,0;;; } } }\n`;
  const files = { 'claims-a-billion.x': Buffer.from(text), 'claims-a-billion-binary.x': binaryModel(),
    'claims-4gb-compressed.x': compressedModel() };
  return Object.entries(files).map(([name, bytes]) => {
    const file = path.join(folder, name);
    fs.writeFileSync(file, bytes);
    return file;
  });
}
