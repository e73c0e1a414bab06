// The code editor (CodeMirror 6) of the studio. One view shows one file at a time; each text file
// keeps its own editor state while the card is open, so its undo history and cursor survive a
// visit to another file.

import { Compartment, EditorState } from '@codemirror/state';
import {
    EditorView, keymap, lineNumbers, highlightActiveLine, highlightActiveLineGutter,
    highlightSpecialChars, drawSelection,
} from '@codemirror/view';
import { history, defaultKeymap, historyKeymap, indentWithTab } from '@codemirror/commands';
import { syntaxHighlighting, defaultHighlightStyle } from '@codemirror/language';
import { search, searchKeymap, highlightSelectionMatches } from '@codemirror/search';
import { lintGutter, setDiagnostics } from '@codemirror/lint';
import { skinLanguage, colourSwatches, isLauncherText } from './skinmode.js';

export class Editor {
    // onChange(path, text) is called after every change a person (or setText) makes.
    constructor(parent, { onChange }) {
        this.onChange = onChange;
        this.states = new Map();
        this.path = null;
        // The launcher's text files are coloured by a language that learns the launcher's words
        // once it is loaded (setWords); a file's state is brought up to date when it is shown.
        this.language = new Compartment();
        this.skinLanguage = skinLanguage();
        this.languageOf = new Map();
        this.view = new EditorView({ parent, state: EditorState.create({ doc: '' }) });
    }

    extensions(path, { readOnly, lineSeparator }) {
        const extensions = [
            lineNumbers(),
            highlightActiveLineGutter(),
            highlightSpecialChars(),
            history(),
            drawSelection(),
            highlightActiveLine(),
            highlightSelectionMatches(),
            search({ top: true }),
            lintGutter(),
            syntaxHighlighting(defaultHighlightStyle, { fallback: true }),
            keymap.of([...defaultKeymap, ...historyKeymap, ...searchKeymap, indentWithTab]),
            // Lines are split at this separator only, so the text comes back exactly as given.
            EditorState.lineSeparator.of(lineSeparator),
            EditorState.readOnly.of(readOnly),
            EditorView.editable.of(!readOnly),
            EditorView.updateListener.of((update) => {
                if (update.docChanged && this.path === path)
                    this.onChange(path, update.state.doc.toString());
            }),
        ];
        this.languageOf.set(path, this.skinLanguage);
        extensions.push(this.language.of(isLauncherText(path) ? [this.skinLanguage, colourSwatches] : []));
        return extensions;
    }

    // Shows a text file. The state made the first time is kept and shown again on later visits.
    showText(path, text, options) {
        let state = this.states.get(path);
        if (!state) {
            state = EditorState.create({ doc: text, extensions: this.extensions(path, options) });
            this.states.set(path, state);
        }
        this.saveCurrent();
        this.path = path;
        this.view.setState(state);
        this.followWords();
    }

    // Colours the launcher's files with words (tarvo_words' object) from now on.
    setWords(words) {
        this.skinLanguage = skinLanguage(words);
        this.followWords();
    }

    // The file on show, coloured with the words known now.
    followWords() {
        if (this.path === null || !isLauncherText(this.path) || this.languageOf.get(this.path) === this.skinLanguage)
            return;
        this.languageOf.set(this.path, this.skinLanguage);
        this.view.dispatch({ effects: this.language.reconfigure([this.skinLanguage, colourSwatches]) });
    }

    // Keeps the state of the file on show, so that coming back finds it as it was left.
    saveCurrent() {
        if (this.path !== null)
            this.states.set(this.path, this.view.state);
    }

    // Shows nothing (a file that is not text is on show, or no card is open).
    clear() {
        this.saveCurrent();
        this.path = null;
        this.view.setState(EditorState.create({ doc: '', extensions: [EditorState.readOnly.of(true), EditorView.editable.of(false)] }));
    }

    // Forgets every file's state: a new card was opened, or the edits were discarded.
    forget() {
        this.states.clear();
        this.languageOf.clear();
        this.clear();
    }

    text() {
        return this.path === null ? '' : this.view.state.doc.toString();
    }

    // Replaces the whole text as typing would: the change is undoable and reaches onChange.
    setText(text) {
        const doc = this.view.state.doc;
        this.view.dispatch({ changes: { from: 0, to: doc.length, insert: text }, userEvent: 'input.type' });
    }

    // Marks the findings of the file on show in its gutter; line 0 (the whole file) marks line 1.
    showDiagnostics(findings) {
        const doc = this.view.state.doc;
        const marks = findings.map((finding) => {
            const line = doc.line(Math.min(Math.max(finding.line, 1), doc.lines));
            return {
                from: line.from,
                to: line.to,
                severity: finding.severity === 'error' ? 'error' : 'warning',
                message: finding.message,
            };
        });
        this.view.dispatch(setDiagnostics(this.view.state, marks));
    }

    goToLine(number) {
        const doc = this.view.state.doc;
        const line = doc.line(Math.min(Math.max(number, 1), doc.lines));
        this.view.dispatch({ selection: { anchor: line.from }, scrollIntoView: true });
        this.view.focus();
    }
}
