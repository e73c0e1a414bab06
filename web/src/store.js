// Keeps the open card and its edits in the browser's IndexedDB, so that closing or reloading the
// page loses nothing: the card as opened (every file's bytes) under "card", the edited files'
// bytes under "edits". The two are written separately: a keystroke rewrites the edits only.

const DATABASE = 'tarvo-studio';
const STORE = 'state';

let opening = null;

function openDatabase() {
    if (!opening) {
        opening = new Promise((resolve, reject) => {
            if (!('indexedDB' in globalThis)) {
                reject(new Error('this browser keeps no IndexedDB'));
                return;
            }
            const request = indexedDB.open(DATABASE, 1);
            request.onupgradeneeded = () => request.result.createObjectStore(STORE);
            request.onsuccess = () => resolve(request.result);
            request.onerror = () => reject(request.error);
            request.onblocked = () => reject(new Error('the studio is open in another tab with an older version'));
        });
        opening.catch(() => {
            opening = null;
        });
    }
    return opening;
}

function run(mode, work) {
    return openDatabase().then((database) => new Promise((resolve, reject) => {
        const transaction = database.transaction(STORE, mode);
        const result = work(transaction.objectStore(STORE));
        transaction.oncomplete = () => resolve(result.result);
        transaction.onerror = () => reject(transaction.error);
        transaction.onabort = () => reject(transaction.error || new Error('the save was abandoned'));
    }));
}

// Maps are stored as plain arrays of [path, bytes]: structured cloning keeps the bytes exactly.
export function saveCard(name, files) {
    return run('readwrite', (store) => {
        store.put([], 'edits');
        return store.put({ name, files: [...files] }, 'card');
    });
}

export function saveEdits(edits) {
    return run('readwrite', (store) => store.put([...edits], 'edits'));
}

// The card last saved with its edits, or null when there is none.
export async function loadSaved() {
    const card = await run('readonly', (store) => store.get('card'));
    if (!card)
        return null;
    const edits = await run('readonly', (store) => store.get('edits'));
    return { name: card.name, files: new Map(card.files), edits: new Map(edits || []) };
}
