#!/usr/bin/env python3
"""Loads a generated WSDL file in a real consumer and compares what the
consumer sees with a hand-written expectation file.

usage: check_wsdl.py zeep|gsoap|xsd WSDL EXPECT.json WORKDIR

zeep   python3 -m zeep must exit 0, and zeep's document must show the
       expected service, operations, messages, parts and schema elements.
gsoap  wsdl2h, then soapcpp2, must succeed without "could not find" or any
       warning other than the skipped wsdl:serviceType element.
xsd    the xsd:schema taken out of the WSDL must compile with libxml2
       (xmllint --schema), accept the expected valid values and refuse the
       invalid ones (so the facets are real).
"""
import json
import os
import subprocess
import sys


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def run(cmd, cwd=None):
    proc = subprocess.run(cmd, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    return proc.returncode, proc.stdout


def check_zeep(wsdl, expect, work):
    rc, out = run([sys.executable, "-m", "zeep", wsdl])
    print(out)
    if rc != 0:
        fail("python3 -m zeep exited with %d" % rc)
    if "Service: " + expect["service"] not in out:
        fail("zeep does not show the service " + expect["service"])
    for name in expect["elements"]:
        if " %s(" % name not in out:
            fail("zeep does not show the global element " + name)

    from zeep.transports import Transport
    from zeep.wsdl import Document

    doc = Document(wsdl, Transport())
    messages = {name: [(part_name, part.element.qname.localname if part.element is not None else None)
                       for part_name, part in msg.parts.items()]
                for name, msg in doc.messages.items()}
    wanted = {name: [tuple(p) for p in parts] for name, parts in expect["messages"].items()}
    if messages != wanted:
        fail("messages differ:\n  zeep:     %r\n  expected: %r" % (messages, wanted))

    port_type = doc.port_types.get(expect["service"] + "PortType")
    if port_type is None:
        fail("no port type %sPortType among %r" % (expect["service"], list(doc.port_types)))
    operations = {}
    for name, op in port_type.operations.items():
        operations[name] = {
            "input": op.input_message.name.localname if op.input_message is not None else None,
            "output": op.output_message.name.localname if op.output_message is not None else None,
        }
    wanted_ops = {name: {"input": o.get("input"), "output": o.get("output")}
                  for name, o in expect["operations"].items()}
    if operations != wanted_ops:
        fail("operations differ:\n  zeep:     %r\n  expected: %r" % (operations, wanted_ops))
    if list(doc.services) != [expect["service"]]:
        fail("services differ: %r" % list(doc.services))
    print("zeep sees %d operations, %d messages" % (len(operations), len(messages)))


def check_gsoap(wsdl, expect, work):
    header = os.path.join(work, "service.h")
    rc, out = run(["wsdl2h", "-o", header, wsdl])
    print(out)
    if rc != 0:
        fail("wsdl2h exited with %d" % rc)
    problems = [line for line in out.splitlines()
                if "could not find" in line.lower()
                or (line.startswith("Warning") and "unexpected element 'wsdl:serviceType'" not in line)]
    if problems:
        fail("wsdl2h reported:\n" + "\n".join(problems))
    gen = os.path.join(work, "gen")
    os.makedirs(gen, exist_ok=True)
    rc, out = run(["soapcpp2", "-C", "-d", gen, header])
    print(out)
    if rc != 0 or "could not find" in out.lower():
        fail("soapcpp2 failed (exit %d)" % rc)
    with open(header, encoding="utf-8") as f:
        text = f.read()
    for name in expect["elements"]:
        if '"":%s ' % name not in text:
            fail("wsdl2h did not declare the schema element " + name)


def check_xsd(wsdl, expect, work):
    rc, schema = run(["xmllint", "--xpath",
                      "/*[local-name()='definitions']/*[local-name()='types']/*[local-name()='schema']", wsdl])
    if rc != 0:
        fail("no xsd:schema in the WSDL:\n" + schema)
    schema_file = os.path.join(work, "schema.xsd")
    with open(schema_file, "w", encoding="utf-8") as f:
        f.write(schema)

    def validate(element, value, index):
        instance = os.path.join(work, "instance%d.xml" % index)
        with open(instance, "w", encoding="utf-8") as f:
            f.write("<%s>%s</%s>\n" % (element, value, element))
        return run(["xmllint", "--noout", "--schema", schema_file, instance])

    index = 0
    for element, values in expect["samples"].items():
        for value in values["valid"]:
            index += 1
            rc, out = validate(element, value, index)
            if rc != 0:
                fail("%s refused the valid value %r (exit %d):\n%s" % (element, value, rc, out))
        for value in values["invalid"]:
            index += 1
            rc, out = validate(element, value, index)
            if rc == 5 or "failed to compile" in out:
                fail("the schema does not compile:\n" + out)
            if rc == 0:
                fail("%s accepted the invalid value %r" % (element, value))
    print("schema compiled; %d sample values checked" % index)


def main():
    if len(sys.argv) != 5:
        fail(__doc__)
    tool, wsdl, expect_file, work = sys.argv[1:]
    with open(expect_file, encoding="utf-8") as f:
        expect = json.load(f)
    os.makedirs(work, exist_ok=True)
    {"zeep": check_zeep, "gsoap": check_gsoap, "xsd": check_xsd}[tool](wsdl, expect, work)


if __name__ == "__main__":
    main()
