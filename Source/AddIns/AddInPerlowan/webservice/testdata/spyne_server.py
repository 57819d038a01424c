"""A SOAP 1.1 document/literal service for the web-service client's interoperability test.

Usage: spyne_server.py <namespace>
Serves on 127.0.0.1 on a free port and prints "PORT <n>" once it accepts requests.
"""
import sys
from wsgiref.simple_server import WSGIRequestHandler, make_server

from spyne import Application, Fault, ServiceBase, Unicode, rpc
from spyne.protocol.soap import Soap11
from spyne.server.wsgi import WsgiApplication


class TelmoraService(ServiceBase):
    @rpc(Unicode, Unicode, _returns=(Unicode, Unicode),
         _out_variable_names=('ptGruss', 'ptEcho'))
    def Begruessung(ctx, ptName, ptOrt):
        return 'Hallo %s aus %s' % (ptName, ptOrt), '%s|%s' % (ptName, ptOrt)

    @rpc(Unicode, _returns=Unicode)
    def Ablehnung(ctx, ptGrund):
        raise Fault(faultcode='Client', faultstring='Ungültige Anfrage: %s' % ptGrund)


class QuietHandler(WSGIRequestHandler):
    def log_message(self, *args):
        pass


def main():
    namespace = sys.argv[1]
    app = Application([TelmoraService], tns=namespace,
                      in_protocol=Soap11(validator='lxml'), out_protocol=Soap11())
    server = make_server('127.0.0.1', 0, WsgiApplication(app), handler_class=QuietHandler)
    print('PORT %d' % server.server_port, flush=True)
    server.serve_forever()


if __name__ == '__main__':
    main()
