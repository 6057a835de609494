// The entries of a zip archive whose files are stored (not compressed), as
// the page writes its .gltf downloads: {name: Buffer}. Read from the central
// directory; anything else in an archive is refused.
export function storedZipEntries(archive) {
  const end = archive.lastIndexOf(Buffer.from([0x50, 0x4b, 0x05, 0x06]));
  if (end < 0) throw new Error('no end of central directory');
  const count = archive.readUInt16LE(end + 10);
  let at = archive.readUInt32LE(end + 16);
  const entries = {};
  for (let i = 0; i < count; i++) {
    if (archive.readUInt32LE(at) !== 0x02014b50) throw new Error('a damaged central directory');
    const method = archive.readUInt16LE(at + 10), size = archive.readUInt32LE(at + 20);
    const nameLength = archive.readUInt16LE(at + 28), extra = archive.readUInt16LE(at + 30);
    const comment = archive.readUInt16LE(at + 32);
    const local = archive.readUInt32LE(at + 42);
    const name = archive.subarray(at + 46, at + 46 + nameLength).toString('utf8');
    if (method !== 0) throw new Error(`${name} is compressed`);
    const data = local + 30 + archive.readUInt16LE(local + 26) + archive.readUInt16LE(local + 28);
    entries[name] = archive.subarray(data, data + size);
    at += 46 + nameLength + extra + comment;
  }
  return entries;
}
