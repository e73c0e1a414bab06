// The card's files as a tree of folders (collapsible <details>) and files (buttons). Picking a file
// calls onPick(path). Edited files are marked; the file on show is highlighted.

function buildNodes(paths) {
    const root = { folders: new Map(), files: [] };
    for (const path of paths) {
        const parts = path.split('/');
        let node = root;
        for (const part of parts.slice(0, -1)) {
            if (!node.folders.has(part))
                node.folders.set(part, { folders: new Map(), files: [] });
            node = node.folders.get(part);
        }
        node.files.push({ name: parts[parts.length - 1], path });
    }
    return root;
}

const byName = (a, b) => (a < b ? -1 : a > b ? 1 : 0);

export class FileTree {
    constructor(element, { onPick }) {
        this.element = element;
        this.onPick = onPick;
        this.buttons = new Map();
        this.closed = new Set();
    }

    // Lays the tree out anew for these paths, keeping which folders were closed.
    show(paths) {
        this.element.replaceChildren();
        this.buttons.clear();
        this.element.append(this.renderFolder(buildNodes(paths), ''));
    }

    renderFolder(node, prefix) {
        const list = document.createElement('ul');
        for (const name of [...node.folders.keys()].sort(byName)) {
            const folderPath = prefix + name + '/';
            const item = document.createElement('li');
            const details = document.createElement('details');
            details.open = !this.closed.has(folderPath);
            details.addEventListener('toggle', () => {
                if (details.open)
                    this.closed.delete(folderPath);
                else
                    this.closed.add(folderPath);
            });
            const summary = document.createElement('summary');
            summary.textContent = name;
            summary.dataset.folder = folderPath;
            details.append(summary, this.renderFolder(node.folders.get(name), folderPath));
            item.append(details);
            list.append(item);
        }
        for (const file of node.files.sort((a, b) => byName(a.name, b.name))) {
            const item = document.createElement('li');
            const button = document.createElement('button');
            button.type = 'button';
            button.className = 'file';
            button.textContent = file.name;
            button.title = file.path;
            button.dataset.path = file.path;
            button.addEventListener('click', () => this.onPick(file.path));
            item.append(button);
            list.append(item);
            this.buttons.set(file.path, button);
        }
        return list;
    }

    // Marks the file on show and the edited files, and opens the folders above the file on show.
    mark(current, edited) {
        for (const [path, button] of this.buttons) {
            button.classList.toggle('current', path === current);
            button.classList.toggle('edited', edited.has(path));
        }
        const button = this.buttons.get(current);
        for (let node = button && button.parentElement; node && node !== this.element; node = node.parentElement) {
            if (node.tagName === 'DETAILS')
                node.open = true;
        }
    }
}
