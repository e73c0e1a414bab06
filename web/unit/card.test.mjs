// Checks of the studio's zip reader and card rules, run by web/unit/run.mjs under node's test
// runner. The zips are made with fflate's writer, whose output the reader must take apart.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { zipSync, strToU8 } from 'fflate';
import { unzipCard, ZipError } from '../src/zipread.js';
import { makeCard, classify, encodeText, CardError } from '../src/card.js';

const skin = strToU8('PAGE=0\r\nBACKGROUND=color,102030\r\n');

test('a zip unpacks to the exact bytes of every file, stored or deflated', () => {
    const picture = new Uint8Array(5000).map((_, i) => (i * 7919) & 0xff);
    const zip = zipSync({
        'Tarvo/skins/a/Tarvo.skin': [skin, { level: 9 }],
        'Tarvo/skins/a/p.png': [picture, { level: 0 }],
    });
    const files = unzipCard(zip);
    assert.deepEqual([...files.keys()].sort(), ['Tarvo/skins/a/Tarvo.skin', 'Tarvo/skins/a/p.png']);
    assert.deepEqual(files.get('Tarvo/skins/a/Tarvo.skin'), skin);
    assert.deepEqual(files.get('Tarvo/skins/a/p.png'), picture);
});

for (const name of ['../evil.txt', 'Tarvo/../../evil.txt', 'Tarvo/..', '/etc/passwd', 'C:/x.txt', 'Tarvo\\..\\..\\x']) {
    test(`a zip with the entry "${name}" is refused whole, naming it`, () => {
        const zip = zipSync({ 'Tarvo/Tarvo.cfg': strToU8('SKIN=a\n'), [name]: strToU8('x') });
        assert.throws(() => unzipCard(zip), (error) => error instanceof ZipError && error.message.includes(`"${name}"`));
    });
}

test('a zip holding a Unix symbolic link is refused, naming it', () => {
    const zip = zipSync({
        'Tarvo/Tarvo.cfg': strToU8('SKIN=a\n'),
        'Tarvo/skins/a': [strToU8('/etc'), { os: 3, attrs: (0o120777 << 16) >>> 0 }],
    });
    assert.throws(() => unzipCard(zip), /"Tarvo\/skins\/a" is a symbolic link/);
});

test('the same mode bits from a zip not made on Unix are not a link', () => {
    const zip = zipSync({ 'Tarvo/x.txt': [strToU8('x'), { os: 0, attrs: (0o120777 << 16) >>> 0 }] });
    assert.equal(unzipCard(zip).size, 1);
});

test('a damaged entry is refused: its checksum does not match', () => {
    const zip = zipSync({ 'Tarvo/Tarvo.cfg': [strToU8('SKIN=concept\n'), { level: 0 }] });
    const at = zip.indexOf('S'.charCodeAt(0), 30);
    zip[at] ^= 1;
    assert.throws(() => unzipCard(zip), /"Tarvo\/Tarvo.cfg" is damaged/);
});

test('not a zip at all is refused', () => {
    assert.throws(() => unzipCard(strToU8('PAGE=0\n'.repeat(10))), ZipError);
});

test('a card one folder down loses that folder; a card at the top keeps its paths', () => {
    const down = makeCard([['mycard/Tarvo/Tarvo.cfg', skin], ['mycard/games/a.gpe', skin]]);
    assert.deepEqual([...down.keys()], ['Tarvo/Tarvo.cfg', 'games/a.gpe']);
    const top = makeCard([['Tarvo/Tarvo.cfg', skin], ['x/y', skin]]);
    assert.deepEqual([...top.keys()], ['Tarvo/Tarvo.cfg', 'x/y']);
    assert.throws(() => makeCard([['a/Tarvo/Tarvo.cfg', skin], ['b/c', skin]]), CardError);
});

test('text keeps its bytes through the editor\'s text: CR LF, a byte-order mark', () => {
    const bytes = new Uint8Array([0xef, 0xbb, 0xbf, ...strToU8('PAGE=0\r\nBUTTON=1\r\n')]);
    const shown = classify('Tarvo/skins/a/Tarvo.skin', bytes);
    assert.equal(shown.kind, 'text');
    assert.equal(shown.lineSeparator, '\r\n');
    assert.deepEqual(encodeText(shown.text), bytes);
});

test('Latin-1 text opens read-only when its name is a text file\'s, and is not text otherwise', () => {
    const latin1 = new Uint8Array([...strToU8('TYPE=text,1,1,FFFFFF,FFFFFF,Caf'), 0xe9]);
    assert.equal(classify('Tarvo/skins/a/Tarvo.skin', latin1).kind, 'latin1');
    assert.equal(classify('Tarvo/skins/a/Tarvo.skin', latin1).text.endsWith('Caf\u00e9'), true);
    assert.equal(classify('Tarvo/skins/a/blob.bin', latin1).kind, 'binary');
    assert.equal(classify('Tarvo/skins/a/Tarvo.skin', new Uint8Array([65, 0, 66])).kind, 'binary');
});
