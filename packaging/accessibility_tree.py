#!/usr/bin/env python3
"""Starts the main dialog with a file open, prints its accessible tree as a screen reader
sees it over AT-SPI, and checks roles, names, states, the tab order, a menu mnemonic and
the message box it leads to. Exit status 77: the accessibility bus could not be reached."""
import os
import subprocess
import sys
import time

import gi
gi.require_version('Atspi', '2.0')
from gi.repository import Atspi  # noqa: E402

KEY_TAB = 0xff09
MOD_ALT = 1 << 3  # Mod1
failures = []


def check(condition, what):
    print(('  ok   ' if condition else '  FAIL ') + what)
    if not condition:
        failures.append(what)


def role(node):
    return node.get_role_name()


def states(node):
    s = node.get_state_set()
    return {name for name, st in (('enabled', Atspi.StateType.ENABLED),
                                  ('focusable', Atspi.StateType.FOCUSABLE),
                                  ('focused', Atspi.StateType.FOCUSED),
                                  ('checked', Atspi.StateType.CHECKED),
                                  ('showing', Atspi.StateType.SHOWING))
            if s.contains(st)}


def walk(node, depth=0, out=None):
    out = [] if out is None else out
    out.append((depth, node))
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            walk(child, depth + 1, out)
    return out


def wait_for(what, probe, seconds=20):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = probe()
        if found:
            return found
        time.sleep(0.2)
    return None


def application(name):
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is not None and app.get_name() == name:
            return app
    return None


def top_level(app, wanted_role):
    for i in range(app.get_child_count()):
        window = app.get_child_at_index(i)
        if window is not None and role(window) == wanted_role and 'showing' in states(window):
            return window
    return None


def focused(root):
    for _, node in walk(root):
        if 'focused' in states(node) and role(node) not in ('dialog', 'frame', 'alert'):
            return node
    return None


def label_of(node):
    # A focused line edit inside a combo box: the combo box is what is announced.
    if role(node) in ('text', 'entry'):
        parent = node.get_parent()
        if parent is not None and role(parent) == 'combo box':
            return 'combo box'
    if role(node) == 'combo box':
        return 'combo box'
    return f'{role(node)} "{node.get_name()}"'


def key(keysym):
    Atspi.generate_keyboard_event(keysym, None, Atspi.KeySynthType.SYM)
    time.sleep(0.3)


def main():
    show, sample = sys.argv[1:3]
    if Atspi.init() not in (0, 1):
        print('accessibility_tree: skipped: AT-SPI cannot start')
        return 77
    program = subprocess.Popen([show, sample], stderr=subprocess.PIPE, text=True)
    status = 1
    try:
        status = run(program, os.path.basename(show))
    finally:
        if program.poll() is None:
            program.terminate()
            program.wait(10)
        errors = program.stderr.read()
    if 'could not connect to display' in errors:
        print('accessibility_tree: skipped: the X server went away:\n' + errors)
        return 77
    if errors:
        print('terminal output of the program:\n' + errors)
        check(False, 'the program prints nothing on the terminal')
        status = 1
    return status


def run(program, app_name):
    app = wait_for('application', lambda: program.poll() is not None or application(app_name))
    if app is None or app is True:
        check(False, 'the program appears on the accessibility bus')
        return 1
    dialog = wait_for('main dialog', lambda: top_level(app, 'dialog'))
    check(dialog is not None, 'the main dialog is a "dialog"')
    if dialog is None:
        return 1
    # The title shows the file once it is open.
    wait_for('title', lambda: dialog.get_name().endswith(' - Salvorin'))

    nodes = walk(dialog)
    print('accessible tree of the main dialog:')
    for depth, node in nodes:
        print(f'{"  " * depth}{role(node)} "{node.get_name()}" {sorted(states(node))}')

    def find(wanted_role, name):
        return [n for _, n in nodes if role(n) == wanted_role and n.get_name() == name]

    def one(wanted_role, name, *wanted_states, absent=()):
        found = find(wanted_role, name)
        ok = len(found) == 1
        if ok:
            have = states(found[0])
            ok = all(s in have for s in wanted_states) and not any(s in have for s in absent)
        extra = (' ' + ', '.join(wanted_states)) if wanted_states else ''
        extra += ''.join(f', not {s}' for s in absent)
        check(ok, f'{wanted_role} "{name}"{extra}')
        return found[0] if len(found) == 1 else None

    print('checks:')
    check(dialog.get_name().endswith('tune.tmp - Salvorin'), f'dialog named by its file: "{dialog.get_name()}"')
    one('menu bar', '')
    for menu, items in (('File', ['Open Quorbel temporary file ...', 'Save in place and rename',
                                  'Save as ...', 'Exit']),
                        ('Play', ['Try to play', 'Stop playing']),
                        ('Help', ['About'])):
        one('menu item', menu)  # a menu bar's entries are items holding a popup menu
        for item in items:
            one('menu item', item)
    play = one('push button', 'Try to play', 'enabled', 'focusable')
    one('push button', 'Stop playing', 'focusable')
    # The combo box is named by its label, as a reader that goes by names needs, and keeps
    # the label as its "labelled by" relation; the rate is its value, in its edit field.
    combo = one('combo box', 'Sample rate', 'enabled', 'focusable')
    values = []
    for i in range(combo.get_child_count() if combo else 0):
        child = combo.get_child_at_index(i)
        if child is not None and role(child) == 'text':
            values.append(Atspi.Text.get_text(child, 0, -1))
    check(values == ['44100'], f'the combo box holds the rate as its value: {values}')
    labels = []
    for relation in (combo.get_relation_set() if combo else []):
        if relation.get_relation_type() == Atspi.RelationType.LABELLED_BY:
            labels += [relation.get_target(i).get_name() for i in range(relation.get_n_targets())]
    check(labels == ['Sample rate:'], f'the combo box is labelled by "Sample rate:": {labels}')
    for name, checked in (('8 bit', False), ('16 bit', True), ('Mono', False), ('Stereo', True)):
        if checked:
            one('radio button', name, 'enabled', 'checked')
        else:
            one('radio button', name, 'enabled', absent=('checked',))
    one('slider', 'File duration', 'enabled', 'focusable')
    for label in ('File size, bytes:', 'Sample rate:', 'samples per second', 'File duration:'):
        one('label', label)
    size = [n for _, n in nodes if role(n) == 'label' and n.get_name().startswith('File size, bytes: ')]
    check(len(size) == 1 and size[0].get_name()[len('File size, bytes: '):].replace(' ', '').isdigit(),
          'the size is announced with its label: ' + (size[0].get_name() if size else 'none'))
    duration = [n for _, n in nodes if role(n) == 'label' and n.get_name().startswith('File duration: ')]
    check(len(duration) == 1 and duration[0].get_name().endswith('0:00:03'),
          'the duration is announced with its label: ' + (duration[0].get_name() if duration else 'none'))
    one('panel', 'Parameters')
    print('tab order:')
    if play is None:
        return 1
    play.grab_focus()
    wait_for('focus', lambda: focused(dialog) is not None, 5)
    # Stop playing is disabled while nothing plays, so Tab passes it by.
    want = ['push button "Try to play"', 'combo box',
            'radio button "8 bit"', 'radio button "16 bit"', 'radio button "Mono"',
            'radio button "Stereo"', 'slider "File duration"', 'push button "Try to play"']
    order = []
    for _ in range(len(want)):
        node = focused(dialog)
        order.append(label_of(node) if node is not None else 'nothing')
        key(KEY_TAB)
    print('  ' + ' -> '.join(order))
    check(order == want, 'Tab visits the controls in the dialog\'s order and wraps around')

    print('menu mnemonic and message box:')
    Atspi.generate_keyboard_event(MOD_ALT, None, Atspi.KeySynthType.LOCKMODIFIERS)
    key(ord('f'))
    Atspi.generate_keyboard_event(MOD_ALT, None, Atspi.KeySynthType.UNLOCKMODIFIERS)
    key(ord('e'))
    box = wait_for('message box', lambda: top_level(app, 'alert'), 10)
    check(box is not None, 'Alt+F, E (File > Exit) brings up an "alert"')
    if box is None:
        return 1
    box_nodes = walk(box)
    for depth, node in box_nodes:
        print(f'{"  " * (depth + 1)}{role(node)} "{node.get_name()}" {sorted(states(node))}')
    check(box.get_name() == 'Salvorin', f'the message box is named by its caption: "{box.get_name()}"')
    names = {(role(n), n.get_name()) for _, n in box_nodes}
    check(('label', 'Do you want to quit?') in names, 'its question is a label')
    check(('push button', 'Yes') in names and ('push button', 'No') in names, 'its answers are buttons')
    yes = [n for _, n in box_nodes if role(n) == 'push button' and n.get_name() == 'Yes']
    if yes:
        yes[0].do_action(0)
    try:
        status = program.wait(10)
    except subprocess.TimeoutExpired:
        status = None
    check(status == 0, 'answering Yes ends the program with status 0')

    print('accessibility_tree: ' + ('ok' if not failures else f'{len(failures)} failed'))
    return 0 if not failures else 1


if __name__ == '__main__':
    sys.exit(main())
