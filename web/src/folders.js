// Reads the files a person hands the page: a folder picked with <input webkitdirectory>, or
// folders and files dropped on the page. Both give a list of [path, bytes], the paths relative to
// what was picked or dropped and including its own name ("mycard/Tarvo/Tarvo.cfg"), which
// makeCard (card.js) turns into a card.

async function fileBytes(file) {
    return new Uint8Array(await file.arrayBuffer());
}

// The files of an <input type=file webkitdirectory>: each carries its path below the picked folder.
export async function readPickedFolder(fileList) {
    const entries = [];
    for (const file of fileList)
        entries.push([file.webkitRelativePath || file.name, await fileBytes(file)]);
    return entries;
}

// A folder's entries come a batch at a time: readEntries is called until it returns none.
function readAllEntries(directory) {
    const reader = directory.createReader();
    const all = [];
    return new Promise((resolve, reject) => {
        const next = () => reader.readEntries((batch) => {
            if (batch.length === 0) {
                resolve(all);
            } else {
                all.push(...batch);
                next();
            }
        }, reject);
        next();
    });
}

async function walk(entry, entries) {
    if (entry.isFile) {
        const file = await new Promise((resolve, reject) => entry.file(resolve, reject));
        // fullPath starts with '/', the root of what was dropped.
        entries.push([entry.fullPath.replace(/^\/+/, ''), await fileBytes(file)]);
    } else if (entry.isDirectory) {
        for (const child of await readAllEntries(entry))
            await walk(child, entries);
    }
}

// What was dropped: { zip: File } when it is a single zip file, otherwise { entries } read from
// the dropped folders (and any loose files beside them). The entries must be taken from the
// DataTransfer before the drop event returns, so this is called at once from the handler.
export async function readDrop(dataTransfer) {
    const roots = [];
    for (const item of dataTransfer.items) {
        if (item.kind !== 'file')
            continue;
        const entry = item.webkitGetAsEntry ? item.webkitGetAsEntry() : null;
        roots.push({ entry, file: item.getAsFile() });
    }
    if (roots.length === 1 && roots[0].file && (!roots[0].entry || roots[0].entry.isFile)
        && /\.zip$/i.test(roots[0].file.name))
        return { zip: roots[0].file };
    const entries = [];
    for (const root of roots) {
        if (root.entry)
            await walk(root.entry, entries);
        else if (root.file)
            entries.push([root.file.name, await fileBytes(root.file)]);
    }
    return { entries };
}
