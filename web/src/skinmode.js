// The editor's language for the launcher's text files (Tarvo.skin, Tarvo.cfg, Tarvo.dat): one
// KEYWORD=argument,argument,... a line, "//" comments, and a small coloured box before every colour
// written as a skin writes them, six hexadecimal digits RRGGBB standing as a whole argument.

import { StreamLanguage } from '@codemirror/language';
import { Decoration, ViewPlugin, WidgetType } from '@codemirror/view';

// The words come from the launcher itself (tarvo_words), so that the colours follow the language
// it reads. Keywords are case-insensitive in the files and given in capitals; the other words are
// case-sensitive. Until the launcher is loaded no word is known, and only the shape of the lines
// (comments, references, colours, numbers) is coloured.
const ACTION_KEYWORDS = new Set(['ACTION', 'RETURN', 'LEFT', 'RIGHT', 'UP', 'DOWN']);

function wordSets(words = {}) {
    const set = (name) => new Set(words[name] || []);
    return {
        keywords: set('keywords'),
        elementKinds: set('elementKinds'),
        backgroundKinds: set('backgroundKinds'),
        actionWords: set('actionWords'),
        listOptions: set('listOptions'),
        valueWords: set('valueWords'),
    };
}

// The line state: where in the line the stream is.
//   keyword  the line's keyword in capitals, '' before it or on a line without one
//   argument the number of the argument being read (0 the first after '=')
//   quoted   inside a "..." stretch, where commas are ordinary characters
function startState() {
    return { keyword: '', argument: -1, quoted: false };
}

function firstWordStyle(known, keyword, word) {
    if (keyword === 'TYPE' && known.elementKinds.has(word))
        return 'typeName';
    if (keyword === 'BACKGROUND' && known.backgroundKinds.has(word))
        return 'typeName';
    if (ACTION_KEYWORDS.has(keyword) && known.actionWords.has(word))
        return 'atom';
    if (keyword === 'OPTIONS' && known.listOptions.has(word))
        return 'propertyName';
    return null;
}

function token(known, stream, state) {
    if (stream.sol()) {
        state.keyword = '';
        state.argument = -1;
        state.quoted = false;
        if (stream.match('//')) {
            stream.skipToEnd();
            return 'comment';
        }
        const keyword = stream.match(/^[^=]+(?==)/);
        if (keyword) {
            state.keyword = keyword[0].toUpperCase();
            return known.keywords.has(state.keyword) ? 'keyword' : 'variableName';
        }
        // A line without '=' is ignored by the launcher.
        stream.skipToEnd();
        return null;
    }
    if (state.argument < 0) {
        stream.next(); // the '=' after the keyword
        state.argument = 0;
        return 'operator';
    }
    if (stream.peek() === '"') {
        stream.next();
        state.quoted = !state.quoted;
        return 'string';
    }
    if (stream.match('%%'))
        return 'escape';
    if (stream.match(/^%[^%,"]*%/))
        return 'variableName.special';
    if (!state.quoted && stream.peek() === ',') {
        stream.next();
        state.argument++;
        return 'punctuation';
    }
    const atArgumentStart = stream.pos === 0 || /[=,"]/.test(stream.string[stream.pos - 1]);
    if (atArgumentStart && !state.quoted) {
        // A colour or a number standing as a whole argument.
        if (stream.match(/^[0-9A-Fa-f]{6}(?=,|\r?$)/)) {
            // Six digits could be a large number too; a skin has no use for one.
            return 'color';
        }
        if (stream.match(/^-?[0-9]+(?=,|\r?$)/))
            return 'number';
    }
    // Any other stretch of text, up to the next character that means something.
    const word = stream.match(state.quoted ? /^[^"%]+/ : /^[^,"%]+/);
    if (!word) {
        stream.next();
        return state.quoted ? 'string' : null;
    }
    if (state.quoted)
        return 'string';
    if (atArgumentStart && state.argument === 0)
        return firstWordStyle(known, state.keyword, word[0]);
    if (atArgumentStart && known.valueWords.has(word[0]))
        return 'atom';
    return null;
}

// The language with the words of words (tarvo_words' object; none when it is left out).
export function skinLanguage(words) {
    const known = wordSets(words);
    return StreamLanguage.define({
        name: 'tarvo',
        startState,
        token: (stream, state) => token(known, stream, state),
        copyState: (state) => ({ ...state }),
        languageData: { commentTokens: { line: '//' } },
    });
}

// Colour swatches ------------------------------------------------------------------------------

class SwatchWidget extends WidgetType {
    constructor(colour) {
        super();
        this.colour = colour;
    }

    eq(other) {
        return other.colour === this.colour;
    }

    toDOM() {
        const box = document.createElement('span');
        box.className = 'cm-swatch';
        box.style.backgroundColor = `#${this.colour}`;
        box.title = `#${this.colour.toUpperCase()}`;
        return box;
    }

    ignoreEvent() {
        return false;
    }
}

// A colour is six hex digits between '=' or ',' and ',' or the line's end, outside comments.
const COLOUR = /(?<=[=,])[0-9A-Fa-f]{6}(?=,|\r?$)/g;

function swatches(view) {
    const widgets = [];
    for (const { from, to } of view.visibleRanges) {
        let position = from;
        while (position <= to) {
            const line = view.state.doc.lineAt(position);
            if (!line.text.startsWith('//')) {
                for (const match of line.text.matchAll(COLOUR)) {
                    const widget = Decoration.widget({ widget: new SwatchWidget(match[0]), side: -1 });
                    widgets.push(widget.range(line.from + match.index));
                }
            }
            position = line.to + 1;
        }
    }
    return Decoration.set(widgets);
}

export const colourSwatches = ViewPlugin.fromClass(
    class {
        constructor(view) {
            this.decorations = swatches(view);
        }

        update(update) {
            if (update.docChanged || update.viewportChanged)
                this.decorations = swatches(update.view);
        }
    },
    { decorations: (plugin) => plugin.decorations },
);

// Whether a file is one the launcher reads as KEYWORD=arguments lines.
export function isLauncherText(path) {
    return /(^|\/)Tarvo\.(skin|cfg|dat)$/.test(path);
}
