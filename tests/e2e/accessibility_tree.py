#!/usr/bin/python3
"""Reads the running program's accessibility tree through AT-SPI, as a
screen reader does. Used by accessibility_e2e.sh.

  accessibility_tree.py focused              prints the focused object: role|name
  accessibility_tree.py alert TEXT           waits for a dialog or alert that reads TEXT
  accessibility_tree.py result BIRTH TODAY   checks the result window (dates yyyy-mm-dd)
  accessibility_tree.py segments             asks every text box for its text segments

Exits 1 with the reasons on stdout when a check fails.
"""
import calendar
import datetime
import math
import re
import sys
import time

import pyatspi

LEVEL = 0.01  # points closer than this look alike on the graph


def program():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "biorhythm":
            return app
    return None


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


def nodes():
    app = program()
    return list(walk(app)) if app else []


def text_of(node):
    try:
        text = node.queryText()
        return text.getText(0, text.characterCount)
    except NotImplementedError:
        return ""


def focused():
    for node in nodes():
        if node.getState().contains(pyatspi.STATE_FOCUSED):
            return f"{node.getRoleName()}|{node.name}"
    return ""


def retry(check, seconds=10):
    """Runs check until it returns no problems, or the time is up."""
    deadline = time.time() + seconds
    while True:
        problems = check()
        if not problems or time.time() > deadline:
            return problems
        time.sleep(0.3)


def curve(values, today):
    """What the graph's description says of one curve, from its values on
    the days of the month and the first of the next month."""
    days = len(values) - 1
    month = values[:days]
    top, bottom = max(month), min(month)
    crossings = []
    for k in range(days):
        here, after = values[k], values[k + 1]
        if here == 0:
            crossings.append(k + 1)
        elif after != 0 and (here < 0) != (after < 0):
            nearer = k + 2 if abs(after) < abs(here) + LEVEL else k + 1
            if nearer <= days:
                crossings.append(nearer)
    value = values[today - 1]
    return {
        "highest": [k + 1 for k, v in enumerate(month) if top - v < LEVEL],
        "lowest": [k + 1 for k, v in enumerate(month) if v - bottom < LEVEL],
        "crossings": crossings,
        "side": "上" if value > 0 else "下" if value < 0 else "",
    }


def expected_curves(birth, today):
    """Each rhythm's curve over today's month, from the days lived on the
    first of the month: 20 sin(2 pi position / length), the intellect curve
    in whole numbers."""
    first = today.replace(day=1)
    lived = (first - birth).days
    days = calendar.monthrange(today.year, today.month)[1]
    curves = {}
    for name, length in (("感情", 28), ("知性", 33), ("身体", 23)):
        values = [20 * math.sin(2 * math.pi * (lived + k) / length) for k in range(days + 1)]
        if name == "知性":
            values = [round(v) for v in values]
        curves[name] = curve(values, today.day)
    return curves


def described_curves(description):
    said = {}
    for name in ("感情", "知性", "身体"):
        m = re.search(
            name + r"は(.+?)に最も高く、(.+?)に最も低くなります。"
            r"中心線を横切るのは(.+?)です。今日\d+日は中心線(?:より(上|下))?",
            description,
        )
        if not m:
            return None
        days = [[int(d) for d in re.findall(r"(\d+)日", g)] for g in m.groups()[:3]]
        said[name] = {"highest": days[0], "lowest": days[1], "crossings": days[2],
                      "side": m.group(4) or ""}
    return said


def check_result(birth, today):
    problems = []
    all_nodes = nodes()
    texts = {n.name: text_of(n) for n in all_nodes if n.getRoleName() == "text"}
    # Each value box by its label: what a screen reader says before the value.
    for label in ("生まれてから今日までの日数", "感情", "知性", "身体", "誕生日は", "月", "1日の曜日"):
        if label not in texts:
            problems.append(f"no text box named {label}; named: {sorted(texts)}")
    if texts.get("月") != str(today.month):
        problems.append(f"the box named 月 reads {texts.get('月')!r}")
    if texts.get("身体") != str((today - birth).days % 23):
        problems.append(f"the box named 身体 reads {texts.get('身体')!r}")
    lists = [n for n in all_nodes if n.getRoleName() == "list"]
    if [n.name for n in lists] != ["診断メッセージ"]:
        problems.append(f"lists: {[n.name for n in lists]}")
    windows = [n for n in all_nodes if n.getRole() in (pyatspi.ROLE_FRAME, pyatspi.ROLE_WINDOW)]
    if not any(w.name == "バイオリズム診断の結果" for w in windows):
        problems.append(f"no window named as the result: {[(w.getRoleName(), w.name) for w in windows]}")
    graphs = [n for n in all_nodes if n.getRole() == pyatspi.ROLE_CHART]
    if len(graphs) != 1 or graphs[0].name != f"{today.month}月のバイオリズムグラフ":
        problems.append(f"charts: {[g.name for g in graphs]}")
        return problems
    description = graphs[0].description
    said = described_curves(description)
    expected = expected_curves(birth, today)
    if said != expected:
        problems.append(f"the graph's description:\n{description}\nsays {said}\nexpected {expected}")
    return problems


BOUNDARIES = {
    "char": pyatspi.TEXT_BOUNDARY_CHAR,
    "word start": pyatspi.TEXT_BOUNDARY_WORD_START,
    "word end": pyatspi.TEXT_BOUNDARY_WORD_END,
    "sentence start": pyatspi.TEXT_BOUNDARY_SENTENCE_START,
    "sentence end": pyatspi.TEXT_BOUNDARY_SENTENCE_END,
    "line start": pyatspi.TEXT_BOUNDARY_LINE_START,
    "line end": pyatspi.TEXT_BOUNDARY_LINE_END,
}


def check_segments():
    """Every text box answers what a screen reader asks on each caret move,
    at the first, second, last and past-the-end offsets, within a second;
    the segment at an offset holds it. The first problem stops the check: a
    program that never answers would make every later question wait too."""
    boxes = [n for n in nodes() if n.getRoleName() == "text"]
    if not boxes:
        return ["no text box"]
    for box in boxes:
        text = box.queryText()
        value = text.getText(0, -1)
        length = text.characterCount
        for kind, boundary in BOUNDARIES.items():
            for offset in sorted({0, min(1, length), max(length - 1, 0), length}):
                where = f"{box.name} ({value!r}), {kind} at {offset}"
                for ask in ("getTextBeforeOffset", "getTextAtOffset", "getTextAfterOffset"):
                    started = time.time()
                    try:
                        segment, start, end = getattr(text, ask)(offset, boundary)
                    except Exception as error:  # noqa: BLE001 - a timeout is an answer too
                        return [f"{where}: {ask} failed after {time.time() - started:.1f} s: {error}"]
                    if time.time() - started > 1:
                        return [f"{where}: {ask} took {time.time() - started:.1f} s"]
                    if ask == "getTextAtOffset" and not (
                        start <= offset <= end and segment == value[start:end]
                    ):
                        return [f"{where}: {segment!r} ({start}-{end}) does not hold the offset"]
    return []


def main():
    command = sys.argv[1]
    if command == "focused":
        print(focused())
        return 0
    if command == "alert":
        def check():
            for node in nodes():
                if node.getRole() in (pyatspi.ROLE_ALERT, pyatspi.ROLE_DIALOG):
                    if any(sys.argv[2] in n.name + text_of(n) for n in walk(node)):
                        return []
            return [f"no dialog that reads {sys.argv[2]}"]
    elif command == "segments":
        problems = check_segments()
        for problem in problems:
            print(problem)
        return 1 if problems else 0
    else:
        birth, today = (datetime.date.fromisoformat(d) for d in sys.argv[2:4])
        check = lambda: check_result(birth, today)  # noqa: E731
    problems = retry(check)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
