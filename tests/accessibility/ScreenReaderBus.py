#!/usr/bin/python3
# What a screen reader hears: the program on a private X display and D-Bus session with the
# desktop's accessibility bus, walked by an AT-SPI client that sends keys and listens to events.
# Usage: ScreenReaderBus.py PROGRAM (the demo content beside it). No window manager runs.
import os, subprocess, sys, tempfile, time, unittest

PROGRAM = sys.argv.pop(1) if len(sys.argv) > 1 else 'build/orlaventis'
KEYS = {'Tab': 0xff09, 'Down': 0xff54, 'Up': 0xff52, 'Right': 0xff53, 'Left': 0xff51,
        'Return': 0xff0d, 'Escape': 0xff1b, 'space': 0x20, 'F4': 0xffc1, 'Home': 0xff50,
        'End': 0xff57, 'Next': 0xff56}
EXIT = {31: 'Stoppen', 33: 'Quitter', 44: 'Exit'}  # the Exit button in each language
children = []


def spawn(args, **kw):
    p = subprocess.Popen(args, stdout=kw.pop('stdout', subprocess.DEVNULL),
                         stderr=kw.pop('stderr', subprocess.DEVNULL), start_new_session=True, **kw)
    children.append(p)
    return p


def start_desktop():
    """A session bus, an X display chosen by the server and the accessibility bus on both."""
    bus = spawn(['dbus-daemon', '--session', '--nofork', '--print-address=1'],
                stdout=subprocess.PIPE, text=True)
    os.environ['DBUS_SESSION_BUS_ADDRESS'] = bus.stdout.readline().strip()
    read, write = os.pipe()
    spawn(['Xvfb', '-displayfd', str(write), '-screen', '0', '1024x768x24', '-nolisten', 'tcp'],
          pass_fds=(write,))
    os.close(write)
    with os.fdopen(read) as display:
        os.environ['DISPLAY'] = ':' + display.readline().strip()
    os.environ['XDG_RUNTIME_DIR'] = tempfile.mkdtemp()
    spawn(['/usr/libexec/at-spi-bus-launcher', '--launch-immediately'])


start_desktop()
import gi  # noqa: E402  (the client reads the bus addresses set above)
gi.require_version('Atspi', '2.0')
from gi.repository import GLib  # noqa: E402
import pyatspi  # noqa: E402

EVENTS = ['object:state-changed:focused', 'object:state-changed:checked',
          'object:state-changed:expanded', 'object:property-change:accessible-name',
          'object:property-change:accessible-description',
          'object:property-change:accessible-value', 'object:selection-changed',
          'object:text-caret-moved', 'window:activate']


class Reader:
    """The program in one language, and what a reader heard since the last key."""

    def __init__(self, language):
        self.heard = []
        self.language = language
        pyatspi.Registry.registerEventListener(self.hear, *EVENTS)
        env = dict(os.environ, QT_QPA_PLATFORM='xcb', QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1')
        chosen = ['--language', str(language)] if language else []
        self.stderr = tempfile.TemporaryFile('w+')  # shown when the program ends badly
        self.program = spawn([PROGRAM] + chosen, env=env, stderr=self.stderr)
        deadline = time.time() + 60
        while self.app() is None or self.focused() is None:
            if time.time() > deadline or self.program.poll() is not None:
                raise AssertionError('the program never showed on the accessibility bus')
            self.pump(0.2)
        self.settle()

    def close(self):
        """Ends the program as a reader would, by its Exit button: it must end cleanly."""
        pyatspi.Registry.deregisterEventListener(self.hear, *EVENTS)
        try:  # the program may end before it answers
            self.find('push button', EXIT.get(self.language, 'Exit')).queryAction().doAction(0)
        except GLib.Error:
            pass
        try:
            return self.program.wait(60)
        except subprocess.TimeoutExpired:
            os.killpg(self.program.pid, 9)
            return 'hung'


    def hear(self, event):
        try:  # what the event says, read as the reader reads it: at once
            self.heard.append((event.type, event.source.name, event.source.getRoleName(),
                               event.detail1, event.source.description))
        except Exception:  # an object gone meanwhile is heard as nothing
            pass

    @staticmethod
    def pump(seconds):
        end = time.time() + seconds
        context = GLib.MainContext.default()
        while time.time() < end:
            while context.pending():
                context.iteration(False)
            time.sleep(0.01)

    def settle(self):
        """Waits until the program has been quiet for half a second."""
        count, quiet_since = -1, time.time()
        while time.time() - quiet_since < 0.5 and time.time() - quiet_since < 10:
            if len(self.heard) != count:
                count, quiet_since = len(self.heard), time.time()
            self.pump(0.05)

    def key(self, *names):
        self.heard = []
        for name in names:
            code = KEYS[name] if len(name) > 1 else ord(name)
            pyatspi.Registry.generateKeyboardEvent(code, None, pyatspi.KEY_SYM)
            self.settle()
        return self.heard

    def app(self):
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            a = desktop.getChildAtIndex(i)
            if a is not None and a.get_process_id() == self.program.pid:
                return a
        return None

    def find(self, role, name=None, root=None):
        found = pyatspi.findDescendant(
            root or self.app(), lambda o: o.getRoleName() == role and
            (name is None or o.name == name) and o.getState().contains(pyatspi.STATE_SHOWING))
        if found is None:
            raise AssertionError('no showing %s %r' % (role, name))
        return found

    def focused(self):
        """The innermost focused object that shows (a list's item rather than the list)."""
        app = self.app()
        found = app and pyatspi.findAllDescendants(
            app, lambda o: o.getState().contains(pyatspi.STATE_FOCUSED) and
            o.getState().contains(pyatspi.STATE_SHOWING))
        return found[-1] if found else None

    def focus_to(self, role, name, limit=20):
        """Tabs until the reader is on `role` `name`."""
        for _ in range(limit):
            f = self.focused()
            if f is not None and f.getRoleName() == role and f.name == name:
                return f
            self.key('Tab')
        raise AssertionError('Tab never reached %s %r' % (role, name))


def said(heard, kind):
    return [(name, role, detail) for kind_, name, role, detail, _ in heard if kind_ == kind]


def focus_went(heard):
    """The objects that took the focus, in order."""
    return [(name, role) for name, role, detail in said(heard, 'object:state-changed:focused')
            if detail == 1]


def text_of(obj):
    return obj.queryText().getText(0, -1)


class ScreenReader(unittest.TestCase):
    def open(self, language):
        reader = Reader(language)
        def close():
            code = reader.close()
            reader.stderr.seek(0)
            self.assertEqual(code, 0, reader.stderr.read()[-4000:])
        self.addCleanup(close)
        return reader

    def test_roles_focus_and_windows(self):
        r = self.open(44)
        frame = r.app().getChildAtIndex(0)
        self.assertEqual((frame.getRoleName(), frame.name), ('frame', 'Orlaventis 1.0 release 4'))
        self.assertEqual((r.focused().getRoleName(), r.focused().name), ('panel', 'Introduction'))
        self.assertEqual(r.find('heading').name, 'THE ORLAVENTIS 1957 – 1973')
        r.focus_to('text', 'Introduction text')  # read by line: the caret moves and says so
        moves = said(r.key('Down', 'Down'), 'object:text-caret-moved')
        self.assertEqual(len(moves), 2)
        self.assertLess(0, moves[0][2])
        self.assertLess(moves[0][2], moves[1][2])
        about = r.focus_to('push button', 'About Orlaventis')
        self.assertEqual(about.description, '')  # not the name a second time
        heard = r.key('Return')
        self.assertEqual(said(heard, 'window:activate')[-1], ('Orlaventis', 'dialog', 0))
        heard = r.key('Escape')  # the main window takes the keyboard back
        self.assertEqual(said(heard, 'window:activate'), [('Orlaventis 1.0 release 4', 'frame', 0)])
        r.key('2')
        f = r.focused()
        self.assertTrue(f.getState().contains(pyatspi.STATE_SHOWING))
        while f.getRoleName() != 'panel':
            f = f.parent
        self.assertEqual(f.name, 'Production')
        # Search: Escape gives the keyboard back where it was; a result's section takes it.
        r.key('Tab')
        before = r.focused().name
        r.key('/')
        self.assertEqual(r.focused().getRoleName(), 'text')
        r.key('Escape')
        self.assertEqual(r.focused().name, before)
        r.key('/', 'z')
        names = said(r.key('q'), 'object:property-change:accessible-name')
        self.assertEqual([n for n, role, _ in names if role == 'list'], ['Nothing found'])
        names = said(r.key('Escape', '/', 'g', 'l', 'a', 'c'), 'object:property-change:accessible-name')
        said_last = [n for n, role, _ in names if role == 'list'][-1]
        self.assertRegex(said_last, r'^Photos \(\d+\), Colours \(\d+\)\. Photos: ')
        heard = r.key('Return')  # the first result, a photo: the Catalog's grid takes the keyboard
        self.assertEqual(focus_went(heard)[-1][1], 'list item')
        self.assertTrue(r.focused().getState().contains(pyatspi.STATE_SHOWING))
        self.assertNotIn('push button', [role for _, role in focus_went(heard)])

    def test_colour_lists_say_their_value_once(self):
        r = self.open(44)
        r.key('4')
        model = r.focus_to('combo box', 'Model')
        self.assertEqual(text_of(model), 'Orlaventis Saloon')
        heard = r.key('Down')
        self.assertEqual(text_of(model), 'Orlaventis Coupé')
        lists = [name for name, role, _ in said(heard, 'object:selection-changed')]
        self.assertEqual(lists.count('Model'), 1)
        self.assertEqual(len(lists), len(set(lists)), lists)  # once per list that changed
        year = r.focus_to('combo box', 'Model year')
        first = text_of(year)
        heard = r.key('Down')
        self.assertNotEqual(text_of(year), first)
        self.assertEqual(said(heard, 'object:selection-changed').count(('Model year', 'combo box', 0)), 1)
        car = r.find('image', 'Car in the chosen paint')
        self.assertIn(text_of(year), car.description)

    def test_catalog_steps_are_heard(self):
        r = self.open(44)
        heard = r.key('3')
        f = r.focused()
        self.assertEqual((f.getRoleName(), f.name), ('list item', 'Picture 1'))
        self.assertEqual(f.parent.getRoleName(), 'list')
        heard = r.key('Right')
        self.assertEqual(focus_went(heard), [('Picture 2', 'list item')])
        self.assertTrue(r.focused().getState().contains(pyatspi.STATE_SELECTED))
        r.key('Next')
        heard = r.key('Home')
        self.assertEqual(focus_went(heard)[-1], ('Picture 1', 'list item'))
        names = [(n, d) for k, n, _, _, d in heard
                 if k == 'object:property-change:accessible-name' and n.endswith(' of 154')]
        header = r.find('label', None, r.find('panel', 'Photos')).name
        self.assertEqual(names, [('Picture 1 of 154', header + '\nClick or press Enter to enlarge the picture')])
        # A click on a thumbnail leaves the keyboard on the grid, and Right goes forward.
        cell = r.find('list item', 'Picture 5')
        x, y = cell.queryComponent().getPosition(pyatspi.DESKTOP_COORDS)
        pyatspi.Registry.generateMouseEvent(x + 20, y + 20, 'b1c')
        r.settle()
        heard = r.key('Right')
        self.assertEqual(focus_went(heard), [('Picture 6', 'list item')])
        # The zoom takes the keyboard and gives it back.
        heard = r.key('Return')
        self.assertEqual(r.focused().getRoleName(), 'image')
        self.assertEqual(r.focused().name, 'Picture 6 of 154')
        heard = r.key('Escape')
        self.assertEqual(r.focused().name, 'Picture 6')

    def test_production_outline_and_table(self):
        r = self.open(44)
        r.key('2')
        r.focus_to('table cell', 'Chassis numbers by series')
        tree = r.focused().parent.parent
        self.assertEqual((tree.getRoleName(), tree.name), ('tree', 'Topics'))
        self.assertTrue(r.focused().getState().contains(pyatspi.STATE_SELECTED))
        heard = r.key('Down')
        self.assertEqual(focus_went(heard), [('Engines', 'table cell')])
        heard = r.key('Left')  # to the parent, then fold it
        self.assertEqual(focus_went(heard), [('Identification', 'table cell')])
        self.assertTrue(r.focused().getState().contains(pyatspi.STATE_EXPANDED))
        r.key('Left')
        self.assertFalse(r.focused().getState().contains(pyatspi.STATE_EXPANDED))
        r.key('Right', 'Right')
        heard = r.key('Tab')
        self.assertEqual(focus_went(heard)[-1], ('Série I', 'table cell'))
        table = r.focused().parent.queryTable()
        self.assertEqual((table.nRows, table.nColumns), (4, 3))
        self.assertEqual([table.getColumnHeader(c).name for c in range(3)],
                         ['Series', 'Years', 'Chassis numbers'])
        self.assertEqual(table.getAccessibleAt(1, 1).name, '1963 – 1968')
        self.assertEqual(focus_went(r.key('Down', 'Right')),
                         [('Série II', 'table cell'), ('1963 – 1968', 'table cell')])

    def test_query_grid_list_and_changes(self):
        r = self.open(44)
        r.key('3')
        r.focus_to('table row', 'Group: All groups')
        heard = r.key('Down')
        self.assertEqual(focus_went(heard), [('Body style: All body styles', 'table row')])
        heard = r.key('F4')
        self.assertEqual(focus_went(heard)[-1], ('All body styles', 'table cell'))
        ticks = r.focused().parent
        self.assertEqual((ticks.getRoleName(), ticks.name), ('tree', 'Body style'))
        self.assertTrue(r.focused().getState().contains(pyatspi.STATE_CHECKED))
        self.assertEqual(focus_went(r.key('Down')), [('Saloon', 'table cell')])
        heard = r.key('space')
        checked = said(heard, 'object:state-changed:checked')
        self.assertIn(('Saloon', 'table cell', 1), checked)
        self.assertIn(('All body styles', 'table cell', 0), checked)
        total = [n for n, role, _ in said(heard, 'object:property-change:accessible-name')
                 if role == 'status bar']
        self.assertEqual(total, ['of 71'])
        heard = r.key('Escape')
        row = 'Body style: Saloon & Two-door saloon & Four-door saloon'
        self.assertEqual(focus_went(heard)[-1], (row, 'table row'))

    def test_language_chooser(self):
        r = self.open(None)
        chooser = r.app().getChildAtIndex(0)
        self.assertEqual((chooser.getRoleName(), chooser.name), ('dialog', 'Choose your language'))
        languages = r.focused()
        self.assertEqual((languages.getRoleName(), languages.name),
                         ('combo box', 'Choose your language'))
        r.key('Down')
        self.assertEqual((languages.name, text_of(languages)),
                         ('Choose your language', 'Dutch / Nederlands'))
        r.key('F4', 'Escape')  # closes the open list, not the chooser
        self.assertEqual(r.focused().name, 'Choose your language')
        r.key('Down', 'Down', 'Return')
        r.language = 44
        self.assertEqual(r.find('panel', 'Introduction').name, 'Introduction')

    def test_translated_names_reach_a_running_reader(self):
        r = self.open(33)
        heard = r.key('4')
        # The section is built in the design language and translated while the reader listens:
        # every name and description it changes is announced.
        renamed = {(n, role) for n, role, _ in said(heard, 'object:property-change:accessible-name')}
        self.assertLessEqual({('Millésime', 'combo box'), ('Quitter', 'push button'),
                              ('Teinte de carrosserie', 'label')}, renamed)
        redescribed = said(heard, 'object:property-change:accessible-description')
        self.assertIn(('Quitter', 'push button', 0), redescribed)
        panel = r.focus_to('combo box', 'Millésime').parent
        # What the reader holds of the new controls is French.
        buttons = [(b.name, b.description) for b in pyatspi.findAllDescendants(
            panel, lambda o: o.getRoleName() == 'push button')]
        self.assertIn(('Quitter', 'Quitter le programme'), buttons)
        self.assertNotIn('Stoppen', [name for name, _ in buttons])
        self.assertEqual((panel.getRoleName(), panel.name), ('panel', 'Couleurs'))


if __name__ == '__main__':
    try:
        unittest.main(verbosity=2)
    finally:
        for child in reversed(children):
            try:
                os.killpg(child.pid, 9)
            except ProcessLookupError:
                pass
