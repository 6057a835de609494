// A model as Japanese modelling tools write it: text in Shift-JIS, frame and
// mesh names in kanji, a texture named in katakana (beside it, as
// `texture`). Written into `folder`; returns the model's path.
import fs from 'node:fs';
import path from 'node:path';

// Shift-JIS bytes of the names: 体 (body), 顔 (face), テクスチャ (texture).
const kBody = [0x91, 0xcc], kFace = [0x8a, 0xe7];
const kTexture = [0x83, 0x65, 0x83, 0x4e, 0x83, 0x58, 0x83, 0x60, 0x83, 0x83];

export function shiftJisModel(folder, texture) {
  const text = (value) => [...Buffer.from(value, 'latin1')];
  const bytes = [
    ...text('xof 0303txt 0032\nFrame '), ...kBody,
    ...text(' {\n FrameTransformMatrix { 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }\n Mesh '),
    ...kFace, ...text(' { 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;; 2; 3;0,1,2;, 3;0,2,3;;\n'),
    ...text('  MeshTextureCoords { 4; 0;1;, 1;1;, 1;0;, 0;0;; }\n'),
    ...text('  MeshMaterialList { 1; 2; 0, 0;; Material { 1;1;1;1;; 5; 0;0;0;; 0;0;0;; TextureFilename { "'),
    ...kTexture, ...text('.png"; } } }\n }\n}\n'),
  ];
  const model = path.join(folder, 'shift-jis.x');
  fs.writeFileSync(model, Buffer.from(bytes));
  fs.copyFileSync(texture, path.join(folder, `${Buffer.from('テクスチャ').toString()}.png`));
  return model;
}
